#!/usr/bin/env bash
# The product in Wine's list of installed programs, removed through that list
# after the user changed things: a file added to a sub-directory stays with
# its directories, a registry value and a win.ini value changed since the
# installation stay, and the report says why. Afterwards the list no longer
# shows the product.
. "$SOURCE_DIR/tests/e2e/lib.sh"
. "$SOURCE_DIR/tools/shelldde/server.sh"
. "$SOURCE_DIR/tests/e2e/uninstall.sh"
e2e_init uninstall_changed
trap 'stop_shelldde; kill_setup; kill_uninst' EXIT

title="Uninstall Changed"
inst="$CASE/Changed Product"
disk="$CASE/disk"
key='HKCU\Software\UninstChanged'
uninstall_key="HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$title"
winini="$(windows_dir)/win.ini"

make_disk "$disk"
touch "$disk/Disk1"
printf 'the program\n' >"$CASE/app.txt"
compress "$CASE/app.txt" "$disk/APP.TX_"
compress "$CASE/app.txt" "$disk/NOTE.TX_"
compress "$BUILD_DIR/UNINST.EXE" "$disk/UNINST.EX_"
write_script "$disk" <<EOF2
[Title]
DlgTitle=$title
NumberDisk=1
[SubDir]
NumberDirs=1
Dir1=data
[Disk1]
NumberFiles=3
file1=3,APP.TX_,app.txt
file2=3,NOTE.TX_,data\\note.txt
file3=3,UNINST.EX_,UNINST.EXE
[Register]
NumberReg=4
regKey1=1,Software\\UninstChanged
regVal1=Kept,original
regKey2=1,Software\\UninstChanged
regVal2=Gone,original
regKey3=2,Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$title
regVal3=DisplayName,$title
regKey4=2,Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$title
regVal4=UninstallString,#s\\UNINST.EXE
[WinIni]
NumberIni=2
IniKey1=UninstChanged,Kept,original
IniKey2=UninstChanged,Gone,original
EOF2

listed() { wine uninstaller --list 2>/dev/null | tr -d '\r' | grep -F "|||$title"; }
listed >/dev/null && fail "listed before the installation"

start_setup "$disk"
walk_pages -d "$inst" -g cancel
wait_setup 60
expect_eq 1 "$SETUP_STATUS" "exit status of the setup"
entry="$(listed)" || fail "not in Wine's list of installed programs after the installation"

# The user's own changes since the installation.
printf 'mine\n' >"$inst/data/added.txt"
wine reg add "$key" /v Kept /d changed /f >/dev/null 2>&1 || fail "could not change the value"
sed -i 's/^Kept=original/Kept=changed/' "$winini"

# Removal through Wine's list, by the entry's key as the list shows it.
(exec wine uninstaller --remove "${entry%%|||*}") >>"$CASE/uninst-output.txt" 2>&1 </dev/null &
UNINST_PID=$!
confirm_uninst
wait_uninst 60
report="$(uninstall_report)"

listed >/dev/null && fail "still listed after the removal"
expect_file "$inst/data/added.txt"
expect_no_file "$inst/data/note.txt"
expect_no_file "$inst/app.txt"
expect_no_file "$inst/UNINST.EXE"
expect_no_file "$inst/install.log"
expect_eq "changed" "$(reg_value "$key" Kept)" "changed registry value"
expect_eq "" "$(reg_value "$key" Gone)" "unchanged registry value"
section() { tr -d '\r' <"$winini" | sed -n "/^\[$1\]\$/,/^\[/p"; }
expect_eq "[UninstChanged]
Kept=changed" "$(section UninstChanged | grep -v '^$')" "win.ini section after the removal"
reg_key_exists "$uninstall_key" && fail "the Uninstall key is still there"

for reason in "data: not empty" "Changed Product: not empty" \
  "Software\\UninstChanged \"Kept\": changed since the installation" \
  "win.ini [UninstChanged] Kept: changed since the installation"; do
  grep -qF -- "$reason" <<<"$report" || fail "report lacks [$reason]: $report"
done
pass
