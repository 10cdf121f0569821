#!/usr/bin/env bash
# Files that cannot be written whole: a full drive (a file-size limit on the
# program), a truncated and a corrupted compressed file over an installed
# one, a missing staged source, a read-only file and directory, a file held
# open without sharing. Each failed file is absent or as it was, never cut;
# the File Copy Error prompt names it; Retry once the cause is gone
# completes the file, Cancel ends the run with a log of whole files only.
. "$SOURCE_DIR/tests/e2e/lib.sh"
e2e_init fault_files

data="$CASE/data"
mkdir -p "$data"
printf 'a small file\n' >"$data/small.txt"
head -c 2000000 /dev/urandom >"$data/big.bin"  # does not compress: 2 MB on disk too
printf 'the old installed content\n' >"$data/old.txt"
printf 'the new content of the program file\n%.0s' $(seq 200) >"$data/new.txt"

# A started run limited to $2 blocks of 1 KB per file it writes.
start_limited() {
  local dir="$1" blocks="$2"
  SETUP_STATUS=""
  (cd "$dir" && trap "" XFSZ && ulimit -S -f "$blocks" && exec wine "$dir/SETUP.EXE") \
    >>"$CASE/setup-output.txt" 2>&1 </dev/null &
  SETUP_PID=$!
}

# The file is either of the two given contents (or absent when $3 is "absent-ok").
whole_or_old() {
  local file="$1" new="$2" old="$3"
  if [ ! -e "$file" ]; then [ "$old" = absent-ok ] && return 0; fail "$file missing"; fi
  cmp -s "$file" "$new" && return 0
  [ "$old" != absent-ok ] && cmp -s "$file" "$old" && return 0
  fail "$file is neither its old nor its new content"
}

# prompt_says WORD...: waits for the File Copy Error prompt, checks its text.
prompt_says() {
  local text word
  text="$(ui wait-msgbox "File Copy Error" 30000 -- text 65535)"
  for word in "$@"; do
    grep -q -- "$word" <<<"$text" || fail "the prompt [$text] does not say [$word]"
  done
}

no_staging_left() { ! ls "$1" | grep -q '\.~[0-9][0-9]$' || fail "temporary file left in $1"; }

# 1. A full drive: the big file does not fit. Retry after room is made.
for answer in retry cancel; do
  disk="$CASE/full-$answer/disk"; inst="$CASE/full-$answer/inst"
  make_disk "$disk"; touch "$disk/Disk1"
  compress "$data/small.txt" "$disk/SMALL.TX_"
  compress "$data/big.bin" "$disk/BIG.BI_"
  mkdir -p "$inst"; cp "$data/old.txt" "$inst/big.bin"
  write_script "$disk" <<EOF
[Title]
DlgTitle=Full Drive
[Disk1]
NumberFiles=3
file1=3,SMALL.TX_,small1.txt
file2=3,BIG.BI_,big.bin
file3=3,SMALL.TX_,small2.txt
EOF
  start_limited "$disk" 512
  walk_pages -d "$inst" -s next
  prompt_says "not enough room" big.bin
  cmp -s "$data/small.txt" "$inst/small1.txt" || fail "small1.txt not whole"
  cmp -s "$data/old.txt" "$inst/big.bin" || fail "big.bin changed while the drive is full"
  no_staging_left "$inst"
  if [ "$answer" = retry ]; then
    prlimit --pid "$SETUP_PID" --fsize=unlimited || fail "prlimit"
    ui wait-msgbox "File Copy Error" -- click 4 -- wait-page group 30000 -- click 2
    wait_setup 60
    cmp -s "$data/big.bin" "$inst/big.bin" || fail "big.bin not whole after Retry"
    cmp -s "$data/small.txt" "$inst/small2.txt" || fail "small2.txt not copied after Retry"
    expect_eq 3 "$(log_count "$inst" '^File Copy: ')" "File Copy lines after Retry"
  else
    ui wait-msgbox "File Copy Error" -- click 2
    wait_setup 60
    cmp -s "$data/old.txt" "$inst/big.bin" || fail "big.bin changed after Cancel"
    expect_no_file "$inst/small2.txt"
    expect_log_lines "$inst" '^File Copy: ' "File Copy: $(winpath "$inst")\\small1.txt" \
      "the log after Cancel names the whole file only"
  fi
  expect_eq 1 "$SETUP_STATUS" "exit status ($answer)"
  no_staging_left "$inst"
done

# 2. A truncated compressed file over an installed one (Retry with a good
# disk file), and a corrupted header (Cancel).
disk="$CASE/damaged/disk"; inst="$CASE/damaged/inst"
make_disk "$disk"; touch "$disk/Disk1"
compress "$data/new.txt" "$CASE/damaged/good.TX_"
size=$(stat -c %s "$CASE/damaged/good.TX_")
head -c $((size / 2)) "$CASE/damaged/good.TX_" >"$disk/PROG.TX_"
# The header's length (offset 10) raised by 1000: the data runs out early.
python3 - "$CASE/damaged/good.TX_" "$disk/OTHER.TX_" <<'EOF'
import struct, sys
data = bytearray(open(sys.argv[1], 'rb').read())
length = struct.unpack_from('<I', data, 10)[0]
struct.pack_into('<I', data, 10, length + 1000)
open(sys.argv[2], 'wb').write(data)
EOF
mkdir -p "$inst"; cp "$data/old.txt" "$inst/prog.txt"; cp "$data/old.txt" "$inst/other.txt"
write_script "$disk" <<EOF
[Title]
DlgTitle=Damaged
[Disk1]
NumberFiles=2
file1=3,PROG.TX_,prog.txt
file2=3,OTHER.TX_,other.txt
EOF
start_setup "$disk"
walk_pages -d "$inst" -s next
prompt_says prog.txt damaged
cmp -s "$data/old.txt" "$inst/prog.txt" || fail "prog.txt changed by a truncated source"
cp "$CASE/damaged/good.TX_" "$disk/PROG.TX_"
ui wait-msgbox "File Copy Error" -- click 4
prompt_says other.txt damaged
ui wait-msgbox "File Copy Error" -- click 2
wait_setup 60
expect_eq 1 "$SETUP_STATUS" "exit status (damaged)"
cmp -s "$data/new.txt" "$inst/prog.txt" || fail "prog.txt not whole after Retry"
cmp -s "$data/old.txt" "$inst/other.txt" || fail "other.txt changed by a corrupted source"
expect_log_lines "$inst" '^File Copy: ' "File Copy: $(winpath "$inst")\\prog.txt" \
  "only the whole file is logged"

# 3. A missing type-4 source before its type-5 entry: silent, the installed
# file stays, no line for it, the run goes on.
disk="$CASE/staged/disk"; inst="$CASE/staged/inst"
make_disk "$disk"; touch "$disk/Disk1"
compress "$data/small.txt" "$disk/SMALL.TX_"
mkdir -p "$inst"; cp "$data/old.txt" "$inst/app.txt"
rm -f "$(temp_dir)/staged.tx_"
write_script "$disk" <<EOF
[Title]
DlgTitle=Staged
[Disk1]
NumberFiles=3
file1=4,MISSING.TX_,staged.tx_
file2=5,staged.tx_,app.txt
file3=3,SMALL.TX_,small.txt
EOF
start_setup "$disk"
walk_pages -d "$inst" -g cancel
wait_setup 60
cmp -s "$data/old.txt" "$inst/app.txt" || fail "app.txt changed by a missing staged source"
expect_no_file "$(temp_dir)/staged.tx_"
log_has "$inst" 'app.txt' && fail "a line for app.txt, which was not copied"
cmp -s "$data/small.txt" "$inst/small.txt" || fail "the run did not go on"

# 4. A read-only installed file, then a file held open without sharing:
# the prompt says access or use; Retry once released succeeds.
disk="$CASE/locked/disk"; inst="$CASE/locked/inst"
make_disk "$disk"; touch "$disk/Disk1"
compress "$data/new.txt" "$disk/NEW.TX_"
mkdir -p "$inst"; cp "$data/old.txt" "$inst/ro.txt"; cp "$data/old.txt" "$inst/held.txt"
chmod a-w "$inst/ro.txt"
write_script "$disk" <<EOF
[Title]
DlgTitle=Locked
[Disk1]
NumberFiles=2
file1=3,NEW.TX_,ro.txt
file2=3,NEW.TX_,held.txt
EOF
start_setup "$disk"
walk_pages -s directory
wine "$BUILD_DIR/tests/uidriver.exe" hold "$(winpath "$inst/held.txt")" 8000 >"$CASE/hold.txt" 2>&1 </dev/null &
hold_pid=$!
for _ in $(seq 100); do grep -q held "$CASE/hold.txt" && break; sleep 0.1; done
walk_pages -f directory -d "$inst" -s next
prompt_says ro.txt "in use"
cmp -s "$data/old.txt" "$inst/ro.txt" || fail "a read-only file was replaced"
chmod u+w "$inst/ro.txt"
ui wait-msgbox "File Copy Error" -- click 4
prompt_says held.txt "in use"
cmp -s "$data/old.txt" "$inst/held.txt" || fail "a file held open was replaced"
wait "$hold_pid"
ui wait-msgbox "File Copy Error" -- click 4 -- wait-page group 30000 -- click 2
wait_setup 60
cmp -s "$data/new.txt" "$inst/ro.txt" || fail "ro.txt not whole after Retry"
cmp -s "$data/new.txt" "$inst/held.txt" || fail "held.txt not whole after Retry"
no_staging_left "$inst"

# 5. A read-only install directory (only meaningful where permissions bind).
if [ "$(id -u)" != 0 ]; then
  disk="$CASE/rodir/disk"; inst="$CASE/rodir/inst"
  make_disk "$disk"; touch "$disk/Disk1"
  compress "$data/new.txt" "$disk/NEW.TX_"
  mkdir -p "$inst"; chmod a-w "$inst"
  write_script "$disk" <<EOF
[Title]
DlgTitle=Read-only
[Disk1]
NumberFiles=1
file1=3,NEW.TX_,new.txt
EOF
  start_setup "$disk"
  walk_pages -d "$inst" -s next
  ui wait-msgbox "File Copy Error" 30000 -- click 2
  wait_setup 60
  expect_no_file "$inst/new.txt"
  chmod u+w "$inst"
fi

pass
