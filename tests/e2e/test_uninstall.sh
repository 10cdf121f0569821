#!/usr/bin/env bash
# Install, then uninstall with UNINST.EXE: the files, directories, registry
# values, win.ini entries and program-group links are as before the
# installation. The shared file in the system directory goes too: its
# reference count, raised to 1 by the installation, is back at zero.
. "$SOURCE_DIR/tests/e2e/lib.sh"
. "$SOURCE_DIR/tools/shelldde/server.sh"
. "$SOURCE_DIR/tests/e2e/uninstall.sh"
e2e_init uninstall
trap 'stop_shelldde; kill_setup; kill_uninst' EXIT

programs="$(_wine_user_dir)/AppData/Roaming/Microsoft/Windows/Start Menu/Programs"
inst="$CASE/Uninstall Test Directory"
disk="$CASE/disk"
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Uninstall Test'
winini="$(windows_dir)/win.ini"
shared="$(system_dir)/uninste2e.dll"
rm -f "$shared"

make_disk "$disk"
touch "$disk/Disk1"
printf 'the program\n' >"$CASE/app.txt"
printf 'the documentation\n' >"$CASE/readme.txt"
printf 'a shared library\n' >"$CASE/shared.dll"
compress "$CASE/app.txt" "$disk/APP.TX_"
compress "$CASE/readme.txt" "$disk/README.TX_"
compress "$CASE/shared.dll" "$disk/SHARED.DL_"
compress "$BUILD_DIR/UNINST.EXE" "$disk/UNINST.EX_"
write_script "$disk" <<'EOF2'
[Title]
DlgTitle=Uninstall Test
NumberDisk=1
[SubDir]
NumberDirs=2
Dir1=docs
Dir2=docs\more
[Disk1]
NumberFiles=4
file1=3,APP.TX_,app.txt
file2=3,README.TX_,docs\readme.txt
file3=2,SHARED.DL_,uninste2e.dll
file4=3,UNINST.EX_,UNINST.EXE
[Register]
NumberReg=4
regKey1=1,Software\UninstE2E
regVal1=Path,#s\app.txt
regKey2=1,Software\UninstE2E
regVal2=NULL,Uninstall Test
regKey3=2,Software\Microsoft\Windows\CurrentVersion\Uninstall\Uninstall Test
regVal3=DisplayName,Uninstall Test
regKey4=2,Software\Microsoft\Windows\CurrentVersion\Uninstall\Uninstall Test
regVal4=UninstallString,#s\UNINST.EXE
[WinIni]
NumberIni=2
IniKey1=UninstE2E,Dir,#s\app.txt
IniKey2=UninstE2E,Mode,plain
[WinGroup]
GroupTitle=Uninstall Test
NumberItem=2
item1=app.txt,The App
item2=docs\readme.txt,Read me
EOF2

# snapshot: what an installation may touch, in a comparable form.
snapshot() {
  (cd "$DRIVE_C" && find . -path ./e2e -prune -o -path "./users/*/Temp" -prune -o -print | sort)
  [ -e "$inst" ] && find "$inst" | sed "s|^$CASE|CASE|" | sort
  echo "win.ini:"
  tr -d '\r' <"$winini" 2>/dev/null | grep -v '^$'
  echo "registry:"
  reg_key_exists 'HKCU\Software\UninstE2E' && echo "HKCU\\Software\\UninstE2E"
  reg_key_exists "$uninstall_key" && echo "$uninstall_key"
}
before="$(snapshot)"

start_shelldde "$CASE/server.log" || fail "server did not start"
start_setup "$disk"
walk_pages -d "$inst" -g next
wait_setup 60
expect_eq 1 "$SETUP_STATUS" "exit status of the setup"
expect_file "$inst/UNINST.EXE"
expect_file "$inst/install.log"
expect_file "$programs/Uninstall Test/The App.lnk"
expect_file "$shared"
[ -n "$(reg_value "$uninstall_key" DisplayName)" ] || fail "no DisplayName after the installation"

start_uninst "$inst"
ui wait-background 20000 -- wait-page welcome 20000
shot uninstall-confirm
confirm_uninst
wait_uninst 60
report="$(uninstall_report)"
stop_shelldde

# Everything the record names is gone, the shared file with its count.
for path in "$inst" "$programs/Uninstall Test" "$shared"; do
  [ -e "$path" ] && fail "still there: $path (report: $report)"
done
sed -n '/^Removed:/,/^$/p' <<<"$report" | grep -q "uninste2e.dll" ||
  fail "the shared file is not reported removed: $report"
grep -q '^Left in place:' <<<"$report" && fail "something was left: $report"
grep -q 'Program group "Uninstall Test"$' <<<"$report" || fail "group not reported removed: $report"
wine reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\SharedDLLs' 2>/dev/null |
  grep -qi 'uninste2e.dll' && fail "the shared file's count is still there"
after="$(snapshot)"
difference="$(diff <(echo "$before") <(echo "$after") | grep '^[<>]')"
expect_eq "" "$difference" "the prefix after the removal"
# The server received the removal of the group and its two items.
grep -qxF '[DeleteGroup("Uninstall Test")]' "$CASE/server.log" || fail "no DeleteGroup sent"
rm -f "$shared"
pass
