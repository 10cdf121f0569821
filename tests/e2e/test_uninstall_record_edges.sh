#!/usr/bin/env bash
# The install record at its edges:
#   damaged-record  one byte of the record changed: refused with a message,
#                   nothing removed, no report
#   quote-bracket   a group proposed as  Say "Hi" ]x : the group page refuses
#                   it (its quotes could end the quoted name); typed as
#                   Say 'Hi' ]x  it is recorded, and removed, as sent
#   symbolic-link   a directory of the installation replaced by a link to
#                   another directory holding the same file: neither the
#                   link nor the file behind it is touched. Wine cannot make
#                   a junction (mklink /j fails); it shows a Unix symbolic
#                   link as a reparse point, which is what is checked
#   drive-root      install directory C:\ with a hand-edited install.log
#                   naming a file and a directory elsewhere on the drive:
#                   both kept, the installed files removed
. "$SOURCE_DIR/tests/e2e/lib.sh"
. "$SOURCE_DIR/tools/shelldde/server.sh"
. "$SOURCE_DIR/tests/e2e/uninstall.sh"
e2e_init uninstall_record_edges
trap 'stop_shelldde; kill_setup; kill_uninst' EXIT

programs="$(_wine_user_dir)/AppData/Roaming/Microsoft/Windows/Start Menu/Programs"
inst="$CASE/Edge Product"
disk="$CASE/disk"
printf 'the program\n' >"$CASE/app.txt"
printf 'behind the link\n' >"$CASE/linked.txt"

make_disk "$disk"
touch "$disk/Disk1"
compress "$CASE/app.txt" "$disk/APP.TX_"
compress "$CASE/linked.txt" "$disk/LINKED.TX_"
compress "$BUILD_DIR/UNINST.EXE" "$disk/UNINST.EX_"
write_script "$disk" <<'EOF2'
[Title]
DlgTitle=Edge Test
NumberDisk=1
[SubDir]
NumberDirs=1
Dir1=sub
[Disk1]
NumberFiles=3
file1=3,APP.TX_,app.txt
file2=3,LINKED.TX_,sub\linked.txt
file3=3,UNINST.EX_,UNINST.EXE
[WinGroup]
GroupTitle=Say "Hi" ]x
NumberItem=1
item1=app.txt,App
EOF2

start_shelldde "$CASE/server.log" || fail "server did not start"
start_setup "$disk"
walk_pages -d "$inst" -- click 1
ui wait-msgbox Setup 20000 -- click 1 -- wait-page group 10000 -- type 11 "Say 'Hi' ]x" \
  -- click 1 -- wait-page wait 10000
wait_setup 60
expect_eq 1 "$SETUP_STATUS" "exit status of the setup"
expect_file "$inst/install-8a8e1c92.rec"
folder="$programs/Say 'Hi' ]x"
expect_file "$folder/App.lnk"

# damaged-record
cp "$inst/install-8a8e1c92.rec" "$CASE/install.rec.good"
sed -i 's/app\.txt/app.txu/' "$inst/install-8a8e1c92.rec"
cmp -s "$inst/install-8a8e1c92.rec" "$CASE/install.rec.good" && fail "damaged-record: nothing changed"
start_uninst "$inst"
ui wait-msgbox Uninstall 20000 -- expect-text 65535 "The install record (install.rec) beside the uninstaller is damaged or was changed, so the uninstaller cannot tell what the installation found and did. Nothing was removed." -- click 1
wait_uninst 30
for path in app.txt sub/linked.txt UNINST.EXE install.log install-8a8e1c92.rec; do
  expect_file "$inst/$path"
done
expect_file "$folder/App.lnk"
expect_no_file "$(uninstall_log)"
cp "$CASE/install.rec.good" "$inst/install-8a8e1c92.rec"

# symbolic-link: sub moves elsewhere, a link stands in its place.
mv "$inst/sub" "$CASE/elsewhere"
ln -s "$CASE/elsewhere" "$inst/sub"

start_uninst "$inst"
confirm_uninst
wait_uninst 60
report="$(uninstall_report)"
stop_shelldde

expect_no_file "$inst/app.txt"
expect_no_file "$inst/UNINST.EXE"
[ -L "$inst/sub" ] || fail "symbolic-link: the link is gone"
expect_eq "behind the link" "$(cat "$CASE/elsewhere/linked.txt" 2>/dev/null)" "symbolic-link: the file behind it"
expect_no_file "$folder/App.lnk"
grep -qF "[DeleteItem(\"App\")]" "$CASE/server.log" ||
  fail "quote-bracket: the item was not removed: $(cat "$CASE/server.log")"
for reason in "sub\\linked.txt: reached through a junction or symbolic link" \
  "Directory $(winpath "$inst")\\sub: reached through a junction or symbolic link"; do
  grep -qF -- "$reason" <<<"$report" || fail "report lacks [$reason]: $report"
done
rm -rf "$folder"

# drive-root
root="$CASE/root-disk"
make_disk "$root"
touch "$root/Disk1"
printf 'at the root\n' >"$CASE/rootfile.txt"
compress "$CASE/rootfile.txt" "$root/ROOTE2E.TX_"
compress "$BUILD_DIR/UNINST.EXE" "$root/UNINST.EX_"
write_script "$root" <<'EOF2'
[Title]
DlgTitle=Root Test
NumberDisk=1
[Disk1]
NumberFiles=2
file1=3,ROOTE2E.TX_,rootee2e.txt
file2=3,UNINST.EX_,UNINST.EXE
EOF2
printf 'not the installation'"'"'s\n' >"$CASE/victim.txt"
mkdir -p "$CASE/victimdir"
start_setup "$root"
walk_pages -d "$DRIVE_C" -g cancel
wait_setup 60
expect_file "$DRIVE_C/rootee2e.txt"
expect_file "$DRIVE_C/install-e420b025.rec"
printf 'File Copy: %s\r\nMade Dir: %s\r\n' "$(winpath "$CASE/victim.txt")" \
  "$(winpath "$CASE/victimdir")" >>"$DRIVE_C/install.log"

start_uninst "$DRIVE_C"
confirm_uninst
wait_uninst 60
report="$(uninstall_report)"
for path in rootee2e.txt UNINST.EXE install.log install-e420b025.rec; do
  [ -e "$DRIVE_C/$path" ] && fail "drive-root: $path still there (report: $report)"
done
expect_file "$CASE/victim.txt"
[ -d "$CASE/victimdir" ] || fail "drive-root: the directory the log named is gone"
[ -d "$DRIVE_C/windows" ] || fail "drive-root: C:\\windows gone"
grep -qF "victim" <<<"$report" && fail "drive-root: the log decided: $report"
pass
