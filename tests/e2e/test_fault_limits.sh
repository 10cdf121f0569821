#!/usr/bin/env bash
# Hostile scripts and settings: names that would leave their directories,
# counts near the 32-bit limit, a program directory too long for its buffer,
# a second instance, and a source that is its own destination.
. "$SOURCE_DIR/tests/e2e/lib.sh"
e2e_init fault_limits

printf 'payload\n' >"$CASE/payload.txt"

# 1. Names with "..", a drive or a leading backslash are skipped; the
# well-formed entries around them are carried out.
disk="$CASE/names/disk"; inst="$CASE/names/inst"
make_disk "$disk"; touch "$disk/Disk1"
compress "$CASE/payload.txt" "$disk/PAY.TX_"
victim="$(dirname "$(temp_dir)")/victim.tx_"
cp "$disk/PAY.TX_" "$victim"
write_script "$disk" <<EOF
[Title]
DlgTitle=Names
[SubDir]
NumberDirs=3
Dir1=..\\outside
Dir2=C:\\rooted
Dir3=inside
[Disk1]
NumberFiles=7
file1=3,PAY.TX_,..\\escaped.txt
file2=3,PAY.TX_,C:\\drive.txt
file3=3,PAY.TX_,\\rooted.txt
file4=5,..\\victim.tx_,victim.txt
file5=6,PAY.TX_,PAY.TX_,inside\\...\\..\\dots.txt
file6=4,PAY.TX_,..\\staged.txt
file7=3,PAY.TX_,inside\\ok.txt
EOF
start_setup "$disk"
walk_pages -d "$inst" -g cancel
wait_setup 60
expect_eq 1 "$SETUP_STATUS" "exit status (names)"
cmp -s "$CASE/payload.txt" "$inst/inside/ok.txt" || fail "the well-formed entry was not carried out"
for f in "$CASE/names/escaped.txt" "$CASE/names/outside" "$DRIVE_C/drive.txt" "$DRIVE_C/rooted" \
  "$DRIVE_C/rooted.txt" "$inst/victim.txt" "$inst/dots.txt" "$(dirname "$(temp_dir)")/staged.txt"; do
  expect_no_file "$f"
done
expect_file "$victim"  # a type-5 source outside the temporary directory is not deleted
rm -f "$victim"

# 2. Counts near the 32-bit limit: the run ends in bounded time.
disk="$CASE/counts/disk"; inst="$CASE/counts/inst"
make_disk "$disk"; touch "$disk/Disk1"
compress "$CASE/payload.txt" "$disk/PAY.TX_"
write_script "$disk" <<EOF
[Title]
DlgTitle=Counts
[SubDir]
NumberDirs=2147483647
[Disk1]
NumberFiles=2147483647
file1=3,PAY.TX_,one.txt
[Register]
NumberReg=2147483647
[WinIni]
NumberIni=2147483647
[WinGroup]
NumberItem=2147483647
item1=one.txt,One
EOF
start_setup "$disk"
walk_pages -d "$inst" -t 120000 -g cancel
wait_setup 60
expect_eq 1 "$SETUP_STATUS" "exit status (counts)"
cmp -s "$CASE/payload.txt" "$inst/one.txt" || fail "one.txt not copied"

# 3. A program directory too long for its buffer: a message and status 1,
# nothing expanded.
long="$CASE/$(printf 'd%.0s' $(seq 150))"
make_disk "$long"; touch "$long/Disk1"
printf '[Title]\nDlgTitle=Long\n' | write_script "$long"
rm -f "$(temp_dir)/setup.inf"
start_setup "$long"
ui wait-msgbox "Setup" 20000 -- click 1
wait_setup 30
expect_eq 1 "$SETUP_STATUS" "exit status (long source directory)"
expect_no_file "$(temp_dir)/setup.inf"

# 4. A second SETUP.EXE while one runs: a message, status 1, the first run
# and its expanded script untouched.
disk="$CASE/twice/disk"
make_disk "$disk"; touch "$disk/Disk1"
printf '[Title]\nDlgTitle=Twice\n' | write_script "$disk"
start_setup "$disk"
first_pid="$SETUP_PID"
walk_pages -s welcome
expect_file "$(temp_dir)/setup.inf"
(cd "$disk" && exec wine "$disk/SETUP.EXE") >>"$CASE/setup-output.txt" 2>&1 </dev/null &
second_pid=$!
ui wait-msgbox "Setup" 20000 -- text 65535 | grep -q "already running" || fail "no message for a second instance"
ui wait-msgbox "Setup" -- click 1
wait "$second_pid"
expect_eq 1 "$?" "exit status of the second instance"
expect_file "$(temp_dir)/setup.inf"
SETUP_PID="$first_pid"
ui wait-page welcome -- click 2
wait_setup 30

# 5. The install directory is the source directory: a file that is its own
# destination is not emptied.
disk="$CASE/same/disk"
make_disk "$disk"; touch "$disk/Disk1"
cp "$CASE/payload.txt" "$disk/plain.txt"
write_script "$disk" <<EOF
[Title]
DlgTitle=Same
[Disk1]
NumberFiles=1
file1=3,plain.txt,plain.txt
EOF
start_setup "$disk"
walk_pages -d "$disk" -g cancel
wait_setup 60
cmp -s "$CASE/payload.txt" "$disk/plain.txt" || fail "a file copied onto itself was changed"

pass
