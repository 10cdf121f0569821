#!/usr/bin/env bash
# Esc in the progress dialog while large files expand: the run ends after the
# entry in progress, that file is complete, later entries are not carried out
# and the dialog is gone after the cleanup. On the way: a click on the
# background hands the focus back to the progress dialog.
. "$SOURCE_DIR/tests/e2e/lib.sh"
e2e_init transfer_esc

disk="$CASE/disk"; inst="$CASE/inst"; data="$CASE/data"
mkdir -p "$data"
make_disk "$disk"
touch "$disk/Disk1"
# 40 MB of compressible text; the LZ library expands it in a fraction of a
# second, so the entries repeat it to keep the dialog busy for seconds.
python3 - "$data/big.dat" <<'EOF'
import random, sys
r = random.Random(7)
words = [''.join(r.choice('etaoinshrdlu') for _ in range(r.randint(2, 9))) for _ in range(400)]
lines, size = [], 0
while size < 40 * 1024 * 1024:
    line = ' '.join(r.choice(words) for _ in range(14)) + '\n'
    lines.append(line)
    size += len(line)
open(sys.argv[1], 'w').write(''.join(lines))
EOF
printf 'a small file between the large ones\n' >"$data/small.txt"
compress "$data/big.dat" "$disk/BIG.DA_"
compress "$data/small.txt" "$disk/SMALL.TX_"

rounds=40
{
  echo "[Title]"
  echo "DlgTitle=Esc Test"
  echo "[Disk1]"
  echo "NumberFiles=$((rounds * 2 + 1))"
  for k in $(seq $rounds); do
    echo "file$((k * 2 - 1))=3,BIG.DA_,big.dat"
    echo "file$((k * 2))=3,SMALL.TX_,small$k.txt"
  done
  echo "file$((rounds * 2 + 1))=3,SMALL.TX_,after.txt"
} | write_script "$disk"

start_setup "$disk"
walk_pages -d "$inst" -s progress -t 20000
# Wait for the third small file, so the dialog has been drawn with a status
# line and a moved bar.
for _ in $(seq 300); do [ -e "$inst/small3.txt" ] && break; sleep 0.05; done
expect_file "$inst/small3.txt"
shot progress
ui click-background -- expect-focus progress -- key esc
ui wait-gone progress 30000
wait_setup 60
expect_eq 1 "$SETUP_STATUS" "exit status after Esc"
expect_no_file "$inst/after.txt"
cmp -s "$data/big.dat" "$inst/big.dat" || fail "big.dat is not complete after Esc"

# What was carried out is a prefix of the entries, each one whole.
last=0
for k in $(seq $rounds); do [ -e "$inst/small$k.txt" ] && last=$k; done
[ "$last" -lt "$rounds" ] || fail "every entry ran: Esc had no effect"
for k in $(seq "$last"); do
  cmp -s "$data/small.txt" "$inst/small$k.txt" || fail "small$k.txt missing or incomplete"
done
big_copies="$(log_count "$inst" 'big.dat$')"
[ "$big_copies" -eq "$last" ] || [ "$big_copies" -eq $((last + 1)) ] ||
  fail "$big_copies copies of big.dat logged, $last small files copied"
[ "$(log_count "$inst" '^File Copy: ')" -eq $((big_copies + last)) ] || fail "log and files disagree"

pass
