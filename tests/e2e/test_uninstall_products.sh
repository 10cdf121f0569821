#!/usr/bin/env bash
# Each product's uninstall removes that product and nothing else:
#   shared-dir   two products in one directory, a common file in each: each
#                has a record of its own, named by its UninstallString; A's
#                uninstall leaves B whole (files, record, key, UNINST.EXE)
#   nested       B installed into a directory below A's, a file both list:
#                A's uninstall keeps it
#   forged       a record with a line added and its count and CRC made good
#                again: refused with a message, nothing removed or put back
#   log-link     an installation with only its log, a directory of it now a
#                symbolic link (Wine shows it as a reparse point): the user
#                is asked before files go; nothing behind the link and no
#                registry value the log names is touched
#   killed-run   a run killed after its files were written: the next run
#                keeps the killed run's entries, so its files count as
#                created; a type-1 file being written when the run was killed
#                never stands under its own name
. "$SOURCE_DIR/tests/e2e/lib.sh"
. "$SOURCE_DIR/tools/shelldde/server.sh"
. "$SOURCE_DIR/tests/e2e/uninstall.sh"
e2e_init uninstall_products
trap 'stop_shelldde; kill_setup; kill_uninst' EXIT

uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall'
record_of() { python3 -c 'import sys, zlib; print("install-%08x.rec" % zlib.crc32(sys.argv[1].lower().encode()))' "$1"; }
printf 'common library\n' >"$CASE/common.dll"
printf 'the program\n' >"$CASE/app.txt"

# product DISK TITLE FILE-ENTRIES...: a disk whose script installs the
# entries (type,source,destination; sources made from app.txt) and the
# product's uninstall key.
product() {
  local disk="$1" title="$2" n=0 entry files=""
  shift 2
  make_disk "$disk"
  touch "$disk/Disk1"
  compress "$BUILD_DIR/UNINST.EXE" "$disk/UNINST.EX_"
  compress "$CASE/common.dll" "$disk/COMMON.DL_"
  for entry in "$@"; do
    n=$((n + 1))
    files+="file$n=$entry"$'\n'
    local source="${entry#*,}"
    source="${source%%,*}"
    [ -e "$disk/$source" ] || compress "$CASE/app.txt" "$disk/$source"
  done
  n=$((n + 1))
  files+="file$n=3,UNINST.EX_,UNINST.EXE"$'\n'
  write_script "$disk" <<EOF2
[Title]
DlgTitle=$title
NumberDisk=1
[SubDir]
NumberDirs=1
Dir1=common
[Disk1]
NumberFiles=$n
$files
[Register]
NumberReg=2
regKey1=2,Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$title
regVal1=DisplayName,$title
regKey2=2,Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$title
regVal2=UninstallString,#s\\UNINST.EXE $(record_of "$title")
[WinGroup]
NumberItem=0
EOF2
}

install() {
  start_setup "$1"
  walk_pages -d "$2" -g next
  wait_setup 60
  expect_eq 1 "$SETUP_STATUS" "exit status of the setup into $2"
}

# uninstall DIR TITLE: the uninstaller as the list of programs starts it.
uninstall() {
  local command record
  command="$(reg_value "$uninstall_key\\$2" UninstallString)"
  record="${command##* }"
  expect_eq "$(record_of "$2")" "$record" "$2: the UninstallString names the record"
  start_uninst "$1" "$record"
  confirm_uninst
  wait_uninst 60
}

start_shelldde "$CASE/server.log" || fail "server did not start"

# shared-dir
shared="$CASE/Shared"
product "$CASE/diskA" "Shared A" 3,COMMON.DL_,common.dll 3,A.TX_,a.txt
product "$CASE/diskB" "Shared B" 3,COMMON.DL_,common.dll 3,B.TX_,b.txt
install "$CASE/diskA" "$shared"
install "$CASE/diskB" "$shared"
recA="$(record_of "Shared A")" recB="$(record_of "Shared B")"
expect_file "$shared/$recA"
expect_file "$shared/$recB"
expect_no_file "$shared/install.rec"
uninstall "$shared" "Shared A"
report="$(uninstall_report)"
expect_no_file "$shared/a.txt"
expect_no_file "$shared/$recA"
for path in b.txt common.dll UNINST.EXE install.log "$recB"; do
  [ -e "$shared/$path" ] || fail "shared-dir: A's uninstall removed B's $path (report: $report)"
done
reg_key_exists "$uninstall_key\\Shared A" && fail "shared-dir: A's key still there"
expect_eq "Shared B" "$(reg_value "$uninstall_key\\Shared B" DisplayName)" "shared-dir: B's entry"
grep -qF "common.dll: another product installed here lists it too" <<<"$report" ||
  fail "shared-dir: no reason for common.dll: $report"
grep -q "Shared B" <<<"$report" && fail "shared-dir: A's report names B: $report"
uninstall "$shared" "Shared B"
for path in b.txt UNINST.EXE install.log "$recB"; do
  [ -e "$shared/$path" ] && fail "shared-dir: B's uninstall left $path: $(uninstall_report)"
done
reg_key_exists "$uninstall_key\\Shared B" && fail "shared-dir: B's key still there"

# nested
vendor="$CASE/Vendor"
product "$CASE/diskC" "Vendor A" 3,COMMON.DL_,common\\common.dll 3,A.TX_,a.txt
product "$CASE/diskD" "Vendor B" 3,COMMON.DL_,common.dll 3,B.TX_,b.txt
install "$CASE/diskC" "$vendor"
install "$CASE/diskD" "$vendor/common"
uninstall "$vendor" "Vendor A"
report="$(uninstall_report)"
expect_no_file "$vendor/a.txt"
for path in common.dll b.txt UNINST.EXE "$(record_of "Vendor B")"; do
  [ -e "$vendor/common/$path" ] || fail "nested: A's uninstall removed B's $path (report: $report)"
done
grep -qF "common.dll: another product installed here lists it too" <<<"$report" ||
  fail "nested: no reason for common.dll: $report"

# forged: a line that would put back a value of the editor's choice.
forge="$CASE/Forge"
product "$CASE/diskF" "Forge Test" 3,F.TX_,f.txt
install "$CASE/diskF" "$forge"
wine reg add 'HKCU\Software\ForgeVictim' /v Value /d current /f >/dev/null 2>&1 || fail "reg add"
recF="$(record_of "Forge Test")"
python3 - "$forge/$recF" <<'EOF2'
import sys, zlib
path = sys.argv[1]
lines = open(path, 'rb').read().split(b'\r\n')[:-2]
lines.append(b'Reg 1 1 1 x6576696c00 : :Software\\ForgeVictim :Value :current')
body = b''.join(line + b'\r\n' for line in lines)
open(path, 'wb').write(body + b'End %d %08x\r\n' % (len(lines) - 1, zlib.crc32(body)))
EOF2
start_uninst "$forge" "$recF"
ui wait-msgbox Uninstall 20000 -- expect-text 65535 "The install record $(winpath "$forge")\\$recF was changed after the setup wrote it: it is not the record that the product's registry key vouches for. Nothing was removed." -- click 1
wait_uninst 30
for path in f.txt UNINST.EXE install.log "$recF"; do expect_file "$forge/$path"; done
expect_eq current "$(reg_value 'HKCU\Software\ForgeVictim' Value)" "forged: the value"
expect_no_file "$(uninstall_log)"
wine reg delete 'HKCU\Software\ForgeVictim' /f >/dev/null 2>&1

# log-link: the record gone (a crash between the log and the record leaves
# this), common a link to a folder holding the user's file of that name.
linked="$CASE/Linked"
product "$CASE/diskL" "Link Test" 3,COMMON.DL_,common\\common.dll 3,A.TX_,a.txt
install "$CASE/diskL" "$linked"
rm -f "$linked/$(record_of "Link Test")"
mkdir -p "$CASE/elsewhere"
printf 'the user'"'"'s own\n' >"$CASE/elsewhere/common.dll"
rm -rf "$linked/common"
ln -s "$CASE/elsewhere" "$linked/common"
start_uninst "$linked"
ui wait-background 20000 -- wait-page welcome 20000 -- click 1 \
  -- wait-msgbox Uninstall 60000 -- expect-text 65535 "No install record that the product's registry key vouches for is there, only what anyone who can write to the install directory could have written.

Remove the files it names in the install directory? Choose No to keep every file." -- click 6
ui wait-msgbox Uninstall 60000 -- click 1
wait_uninst 60
report="$(uninstall_report)"
expect_no_file "$linked/a.txt"
expect_eq "the user's own" "$(cat "$CASE/elsewhere/common.dll" 2>/dev/null)" "log-link: the file behind the link"
[ -L "$linked/common" ] || fail "log-link: the link was removed"
expect_eq "Link Test" "$(reg_value "$uninstall_key\\Link Test" DisplayName)" "log-link: a value the log names"
grep -qF "junction or symbolic link" <<<"$report" || fail "log-link: no link reason: $report"
grep -qF "named only by a log" <<<"$report" || fail "log-link: no reason for the values: $report"
wine reg delete "$uninstall_key\\Link Test" /f >/dev/null 2>&1

# killed-run: the first run killed on the group page, after its files.
crash="$CASE/Crash"
windir="$(windows_dir)"
rm -f "$windir/CRASHBIG.BIN"
head -c 67108864 /dev/zero | tr '\0' 'z' >"$CASE/big.bin"
product "$CASE/diskK" "Crash Test" 3,A.TX_,a.txt
cp "$CASE/big.bin" "$CASE/diskK/CRASHBIG.BIN"
sed -i 's/^NumberFiles=2$/NumberFiles=3/; s/^file2=3,UNINST.EX_,UNINST.EXE$/file2=3,UNINST.EX_,UNINST.EXE\nfile3=1,CRASHBIG.BIN,CRASHBIG.BIN/' \
  "$CASE/diskK/setup.inf.txt"
compress "$CASE/diskK/setup.inf.txt" "$CASE/diskK/setup.in_"
start_setup "$CASE/diskK"
walk_pages -d "$crash" -s directory -- click 1
# Killed while the type-1 file is being written.
for _ in $(seq 1 600); do
  find "$windir" -maxdepth 2 -name 'CRASHBIG.BIN.~*' 2>/dev/null | grep -q . && break
  [ -e "$windir/CRASHBIG.BIN" ] && break
  sleep 0.05
done
kill -9 "$SETUP_PID" 2>/dev/null
wait "$SETUP_PID" 2>/dev/null
SETUP_PID=""
expect_no_file "$windir/CRASHBIG.BIN"
expect_file "$crash/a.txt"
install "$CASE/diskK" "$crash"
expect_eq 67108864 "$(stat -c %s "$windir/CRASHBIG.BIN")" "killed-run: the type-1 file whole"
record="$(tr -d '\r' <"$crash/$(record_of "Crash Test")")"
grep -qE "^File 0 12 [0-9a-f]{8} :.*a\.txt$" <<<"$record" || fail "killed-run: a.txt not recorded as created: $record"
grep -qE '^File 0 67108864 .*CRASHBIG\.BIN$' <<<"$record" ||
  fail "killed-run: the type-1 file not recorded as created: $record"
uninstall "$crash" "Crash Test"
expect_no_file "$crash/a.txt"
rm -f "$windir/CRASHBIG.BIN"

stop_shelldde
pass
