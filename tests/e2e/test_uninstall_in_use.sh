#!/usr/bin/env bash
# A file in use at the removal (held open by another process, which lets
# others read it but not delete it, as a running program's files):
#   retry    the user closes the program and chooses Retry: the file goes and
#            the removal finishes as if nothing had been in use
#   queued   the user chooses Cancel: the file is queued for removal at the
#            next start (PendingFileRenameOperations on the NT family) and
#            named in the report as in use; the record (holding what is
#            left), UNINST.EXE, install.log and the entry in the list of
#            programs stay, and the directory that holds the file too
#   second   once the program has ended, the uninstaller runs again and
#            finishes: the file, the record, the uninstaller and the entry go
. "$SOURCE_DIR/tests/e2e/lib.sh"
. "$SOURCE_DIR/tests/e2e/uninstall.sh"
e2e_init uninstall_in_use
hold_pid=""
trap 'kill_setup; kill_uninst; [ -n "$hold_pid" ] && kill "$hold_pid" 2>/dev/null' EXIT

inst="$CASE/InUse Product"
disk="$CASE/disk"
entry='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\InUse Test'
pending='HKLM\System\CurrentControlSet\Control\Session Manager'

make_disk "$disk"
touch "$disk/Disk1"
printf 'the program\n' >"$CASE/app.txt"
printf 'its data\n' >"$CASE/held.txt"
compress "$CASE/app.txt" "$disk/APP.TX_"
compress "$CASE/held.txt" "$disk/HELD.TX_"
compress "$BUILD_DIR/UNINST.EXE" "$disk/UNINST.EX_"
write_script "$disk" <<'EOF2'
[Title]
DlgTitle=InUse Test
NumberDisk=1
[SubDir]
NumberDirs=1
Dir1=data
[Disk1]
NumberFiles=3
file1=3,APP.TX_,app.txt
file2=3,HELD.TX_,data\held.txt
file3=3,UNINST.EX_,UNINST.EXE
[Register]
NumberReg=2
regKey1=2,Software\Microsoft\Windows\CurrentVersion\Uninstall\InUse Test
regVal1=DisplayName,InUse Test
regKey2=2,Software\Microsoft\Windows\CurrentVersion\Uninstall\InUse Test
regVal2=UninstallString,#s\UNINST.EXE
EOF2

install() {
  start_setup "$disk"
  walk_pages -d "$inst" -g cancel
  wait_setup 60
  expect_file "$inst/data/held.txt"
  expect_eq "InUse Test" "$(reg_value "$entry" DisplayName)" "$1: the entry after the installation"
}
# hold MS: data\held.txt held open for MS ms, others may only read it.
hold() {
  wine "$BUILD_DIR/tests/uidriver.exe" hold "$(winpath "$inst/data/held.txt")" "$1" read \
    >"$CASE/hold.txt" 2>&1 </dev/null &
  hold_pid=$!
  for _ in $(seq 100); do grep -q held "$CASE/hold.txt" && break; sleep 0.1; done
  grep -q held "$CASE/hold.txt" || fail "the file could not be held: $(cat "$CASE/hold.txt")"
}
# in_use_prompt: the removal confirmed, the prompt for the held file is up.
in_use_prompt() {
  local text
  text="$(ui wait-background 20000 -- wait-page welcome 20000 -- click 1 \
    -- wait-msgbox Uninstall 30000 -- text 65535)"
  grep -qF "held.txt is in use." <<<"$text" || fail "$1: no in-use prompt but [$text]"
}
# answer BUTTON: answers the prompt, then OK on the report once it is up.
answer() {
  local text=""
  ui wait-msgbox Uninstall 10000 -- click "$1"
  for _ in $(seq 100); do
    text="$(ui wait-msgbox Uninstall 10000 -- text 65535 2>/dev/null)"
    grep -q '^Uninstall of' <<<"$text" && break
    sleep 0.2
  done
  grep -q '^Uninstall of' <<<"$text" || fail "no report after the prompt: [$text]"
  ui wait-msgbox Uninstall 10000 -- click 1
}
finished() {
  for path in "$inst" ; do
    [ -e "$path" ] && fail "$1: still there: $path ($(find "$path"); report: $(uninstall_report))"
  done
  reg_key_exists "$entry" && fail "$1: the entry in the list of programs is still there"
  return 0
}

# retry
install retry
hold 15000
start_uninst "$inst"
in_use_prompt retry
wait "$hold_pid"
hold_pid=""
answer 4
wait_uninst 60
finished retry
grep -q "in use" <<<"$(uninstall_report)" && fail "retry: a file reported in use: $(uninstall_report)"

# queued
install queued
hold 60000
start_uninst "$inst"
in_use_prompt queued
answer 2
wait_uninst 60
report="$(uninstall_report)"
grep -qF "held.txt: in use; it goes when Windows next starts" <<<"$report" ||
  fail "queued: the file is not named in use: $report"
grep -qF "not empty (it holds files in use)" <<<"$report" ||
  fail "queued: the directory is not said to hold files in use: $report"
grep -q "did not install" <<<"$report" && fail "queued: files said not installed: $report"
wine reg query "$pending" /v PendingFileRenameOperations 2>/dev/null | tr -d '\r' |
  grep -qi 'held.txt' || fail "queued: not queued for the next start"
for path in UNINST.EXE install.log data/held.txt; do expect_file "$inst/$path"; done
recs=("$inst"/install-*.rec)
[ ${#recs[@]} = 1 ] && [ -f "${recs[0]}" ] || fail "queued: not one record kept: ${recs[*]}"
expect_no_file "$inst/app.txt"
expect_eq "InUse Test" "$(reg_value "$entry" DisplayName)" "queued: the entry"
record="$(tr -d '\r' <"${recs[0]}")"
grep -q '^File 0 .*held.txt$' <<<"$record" || fail "queued: the record lacks the file in use: $record"
grep -q 'app.txt' <<<"$record" && fail "queued: the record still names what went: $record"

# second
kill "$hold_pid" 2>/dev/null
wait "$hold_pid" 2>/dev/null
hold_pid=""
start_uninst "$inst"
confirm_uninst
wait_uninst 60
finished second
pass
