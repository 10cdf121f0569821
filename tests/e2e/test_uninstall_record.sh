#!/usr/bin/env bash
# Install, change things as a user would, run the setup again into the same
# directory and cancel it at the first disk prompt, then uninstall from the
# install record. The machine comes back as it was, except what the user
# changed since:
#   stood-before     README.TXT was in the directory before: kept
#   edited           app.txt edited after the installation: kept
#   unchanged        data\note.txt and the data directory: removed
#   reg-restored     HKCU\...\RecordE2E "Shared" existed: its old data back
#   reg-edited       "Edited" changed after the installation: kept
#   reg-new          "New" did not exist: removed
#   key-existed      HKCU\...\RecordKeptKey existed (empty): kept, empty
#   key-created      HKCU\...\RecordMadeKey\Sub: both keys removed
#   ini-restored / ini-edited / ini-new: as the registry values
#   group-existing   "Record Existing" picked on the group page: the group
#                    and the user's link stay, only our two items go (one
#                    with "]" in its name), no DeleteGroup sent
#   second-cancelled the second run replaced install.log with a nearly empty
#                    one; the first installation still goes whole
. "$SOURCE_DIR/tests/e2e/lib.sh"
. "$SOURCE_DIR/tools/shelldde/server.sh"
. "$SOURCE_DIR/tests/e2e/uninstall.sh"
e2e_init uninstall_record
trap 'stop_shelldde; kill_setup; kill_uninst' EXIT

programs="$(_wine_user_dir)/AppData/Roaming/Microsoft/Windows/Start Menu/Programs"
group="$programs/Record Existing"
inst="$CASE/Record Product"
disk="$CASE/disk"
again="$CASE/again"
key='HKCU\Software\RecordE2E'
keptkey='HKCU\Software\RecordKeptKey'
madekey='HKCU\Software\RecordMadeKey'
winini="$(windows_dir)/win.ini"
section() { tr -d '\r' <"$winini" | sed -n "/^\[$1\]\$/,/^\[/p" | grep -v -e '^$' -e '^\[' ; }

# What stood before the installation.
mkdir -p "$inst" "$group"
printf 'the user readme\n' >"$inst/README.TXT"
printf 'not a real link\n' >"$group/Mine.lnk"
wine reg add "$key" /v Shared /d theirs /f >/dev/null 2>&1 || fail "reg add"
wine reg add "$key" /v Edited /d theirs /f >/dev/null 2>&1 || fail "reg add"
wine reg add "$keptkey" /f >/dev/null 2>&1 || fail "reg add key"
printf '[RecordE2E]\r\nShared=theirs\r\nEdited=theirs\r\n' >>"$winini"

make_disk "$disk"
touch "$disk/Disk1"
printf 'the program\n' >"$CASE/app.txt"
printf 'the product readme\n' >"$CASE/readme.txt"
printf 'a note\n' >"$CASE/note.txt"
compress "$CASE/app.txt" "$disk/APP.TX_"
compress "$CASE/readme.txt" "$disk/README.TX_"
compress "$CASE/note.txt" "$disk/NOTE.TX_"
compress "$BUILD_DIR/UNINST.EXE" "$disk/UNINST.EX_"
script() {
  cat <<'EOF2'
[Title]
DlgTitle=Record Test
NumberDisk=1
[SubDir]
NumberDirs=1
Dir1=data
[Disk1]
NumberFiles=4
file1=3,APP.TX_,app.txt
file2=3,README.TX_,README.TXT
file3=3,NOTE.TX_,data\note.txt
file4=3,UNINST.EX_,UNINST.EXE
[Register]
NumberReg=5
regKey1=1,Software\RecordE2E
regVal1=Shared,ours
regKey2=1,Software\RecordE2E
regVal2=Edited,ours
regKey3=1,Software\RecordE2E
regVal3=New,ours
regKey4=1,Software\RecordKeptKey
regVal4=Value,ours
regKey5=1,Software\RecordMadeKey\Sub
regVal5=Value,ours
[WinIni]
NumberIni=3
IniKey1=RecordE2E,Shared,ours
IniKey2=RecordE2E,Edited,ours
IniKey3=RecordE2E,New,ours
[WinGroup]
GroupTitle=Record Test
NumberItem=2
item1=app.txt,The App
item2=README.TXT,Read ]Me
EOF2
}
script | write_script "$disk"
# The same product again, without its disk: the run stops at the prompt.
make_disk "$again"
script | write_script "$again"

start_shelldde "$CASE/server.log" || fail "server did not start"
start_setup "$disk"
walk_pages -d "$inst" -g "Record Existing"
wait_setup 60
expect_eq 1 "$SETUP_STATUS" "exit status of the setup"
expect_file "$inst/install-464a98c6.rec"
expect_file "$group/The App.lnk"
expect_file "$group/Read ]Me.lnk"
expect_eq "ours" "$(reg_value "$key" Shared)" "registry value after the installation"

# The user's changes since.
printf 'edited by the user\n' >"$inst/app.txt"
wine reg add "$key" /v Edited /d mine /f >/dev/null 2>&1 || fail "reg add"
sed -i 's/^Edited=ours/Edited=mine/' "$winini"

# second-cancelled: the same directory, Cancel at "Please insert disk #1".
start_setup "$again"
walk_pages -d "$inst" -s next \
  -- wait-msgbox "New Disk Needed" 20000 -- expect-text 65535 "Please insert disk #1" -- click 2
wait_setup 30
log_has "$inst" "File Copy" && fail "second-cancelled: the log should be the second run's"

start_uninst "$inst"
confirm_uninst
wait_uninst 60
report="$(uninstall_report)"
stop_shelldde

# Files and directories, case by case.
expect_eq "the product readme" "$(cat "$inst/README.TXT" 2>/dev/null)" "stood-before: README.TXT kept"
expect_eq "edited by the user" "$(cat "$inst/app.txt" 2>/dev/null)" "edited: app.txt kept"
for path in data/note.txt data UNINST.EXE install.log install-464a98c6.rec; do
  [ -e "$inst/$path" ] && fail "unchanged/second-cancelled: $path still there (report: $report)"
done
# Registry and win.ini.
expect_eq "theirs" "$(reg_value "$key" Shared)" "reg-restored"
expect_eq "mine" "$(reg_value "$key" Edited)" "reg-edited"
expect_eq "" "$(reg_value "$key" New)" "reg-new"
reg_key_exists "$keptkey" || fail "key-existed: the key that stood before was deleted"
expect_eq "" "$(reg_value "$keptkey" Value)" "key-existed: our value"
reg_key_exists "$madekey\\Sub" && fail "key-created: Sub still there"
reg_key_exists "$madekey" && fail "key-created: its parent still there"
expect_eq "Shared=theirs
Edited=mine" "$(section RecordE2E)" "ini-restored, ini-edited, ini-new"
# group-existing
expect_file "$group/Mine.lnk"
expect_no_file "$group/The App.lnk"
expect_no_file "$group/Read ]Me.lnk"
grep -qxF '[DeleteItem("Read ]Me")]' "$CASE/server.log" || fail "group-existing: no DeleteItem with ]"
grep -q 'DeleteGroup' "$CASE/server.log" && fail "group-existing: DeleteGroup sent: $(cat "$CASE/server.log")"

for reason in "README.TXT: it stood there before the installation" \
  "app.txt: changed since the installation" \
  "RecordE2E \"Shared\": what it held before the installation" \
  "RecordE2E \"Edited\": changed since the installation" \
  "win.ini [RecordE2E] Shared: what it held before the installation" \
  "Program group \"Record Existing\": it existed before the installation" \
  "Registry key HKEY_CURRENT_USER\\Software\\RecordMadeKey"; do
  grep -qF -- "$reason" <<<"$report" || fail "report lacks [$reason]: $report"
done
grep -q '^Put back as before the installation:' <<<"$report" || fail "no restored part: $report"

wine reg delete "$key" /f >/dev/null 2>&1
wine reg delete "$keptkey" /f >/dev/null 2>&1
rm -rf "$group"
pass
