#!/usr/bin/env bash
# WM_CLOSE posted to the background window (the taskbar's Close, taskkill
# without /F) on each page and during the copy: the window stays until the
# cleanup, nothing is installed after a close on a page, and the run ends
# through the cleanup with exit status 1.
. "$SOURCE_DIR/tests/e2e/lib.sh"
e2e_init fault_close

data="$CASE/data"
mkdir -p "$data"
printf 'a small file\n' >"$data/small.txt"
# 8 MB of text, expanded many times over, so that the copy lasts.
python3 - "$data/big.dat" <<'EOF'
import random, sys
r = random.Random(3)
words = [''.join(r.choice('etaoinshrdlu') for _ in range(r.randint(2, 9))) for _ in range(300)]
out, size = [], 0
while size < 8 * 1024 * 1024:
    line = ' '.join(r.choice(words) for _ in range(12)) + '\n'
    out.append(line)
    size += len(line)
open(sys.argv[1], 'w').write(''.join(out))
EOF

rounds=40
# product DISK BIGFILES
product() {
  local bigs="$2"
  make_disk "$1"; touch "$1/Disk1"
  [ -e "$data/BIG.DA_" ] || compress "$data/big.dat" "$data/BIG.DA_"
  cp "$data/BIG.DA_" "$1/BIG.DA_"
  compress "$data/small.txt" "$1/SMALL.TX_"
  {
    echo "[Title]"; echo "DlgTitle=Close Test"
    echo "[Disk1]"; echo "NumberFiles=$((bigs + 1))"
    echo "file1=3,SMALL.TX_,first.txt"
    for k in $(seq 2 $((bigs + 1))); do echo "file$k=3,BIG.DA_,big$k.dat"; done
    echo "[WinGroup]"; echo "GroupTitle=Close Test"; echo "NumberItem=1"; echo "item1=first.txt,First"
  } | write_script "$1"
}

for page in welcome directory copy group; do
  disk="$CASE/$page/disk"; inst="$CASE/$page/inst"
  product "$disk" "$([ "$page" = group ] && echo 0 || echo "$rounds")"
  start_setup "$disk"
  case "$page" in
    welcome | directory) walk_pages -s "$page" ;;
    copy)
      walk_pages -d "$inst" -s progress -t 20000
      for _ in $(seq 200); do [ -e "$inst/big3.dat" ] && break; sleep 0.05; done ;;
    group) walk_pages -d "$inst" ;;
  esac
  ui close-background
  wait_setup 60
  expect_eq 1 "$SETUP_STATUS" "exit status after a close on $page"
  case "$page" in
    welcome|directory)
      expect_no_file "$inst" ;;
    copy)
      expect_no_file "$inst/big$((rounds + 1)).dat"
      # Every logged file is whole; the rest were not carried out.
      while read -r line; do
        file="${line#File Copy: }"; name="${file##*\\}"
        case "$name" in
          first.txt) cmp -s "$data/small.txt" "$inst/$name" || fail "$name not whole" ;;
          *) cmp -s "$data/big.dat" "$inst/$name" || fail "$name logged but not whole" ;;
        esac
      done < <(log_lines "$inst" '^File Copy: ')
      [ "$(log_count "$inst" '^File Copy: ')" -lt $((rounds + 1)) ] || fail "the close had no effect" ;;
    group)
      cmp -s "$data/small.txt" "$inst/first.txt" || fail "first.txt not whole"
      expect_file "$inst/install.log"
      log_has "$inst" '^Icon' && fail "a group was made after the close" ;;
  esac
done

pass
