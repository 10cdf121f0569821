#!/usr/bin/env bash
# Names that would close their quotes and add commands of their own: typed
# on the group page (a message naming the characters, the page stays), an
# item's caption from the script (sent with an apostrophe, and logged so),
# and names in the uninstaller's log (never sent, nor an empty one). Our
# shell server records every text it receives.
. "$SOURCE_DIR/tests/e2e/lib.sh"
. "$SOURCE_DIR/tests/e2e/uninstall.sh"
. "$SOURCE_DIR/tools/shelldde/server.sh"
e2e_init group_names
trap 'stop_shelldde; kill_setup; kill_uninst' EXIT

programs="$(_wine_user_dir)/AppData/Roaming/Microsoft/Windows/Start Menu/Programs"
mkdir -p "$programs/Victim"
printf 'not a real shortcut\n' >"$programs/Victim/Keep.lnk"
attack='Typed")][DeleteGroup("Victim")][ShowGroup("Victim'
message=$'A group name cannot contain any of these characters:\n\\ / : * ? " < > |'

# 1. The setup: the typed name refused, then a caption with quotes sent.
disk="$CASE/disk"
inst="$CASE/inst"
make_disk "$disk"
touch "$disk/Disk1"
printf 'the program\n' >"$CASE/app.txt"
compress "$CASE/app.txt" "$disk/APP.TX_"
write_script "$disk" <<'EOF'
[Title]
DlgTitle=Names Test
NumberDisk=1
[Disk1]
NumberFiles=1
file1=3,APP.TX_,app.txt
[WinGroup]
GroupTitle=Names
NumberItem=1
item1=app.txt,The "App")][DeleteGroup("Victim
EOF
mkdir -p "$inst"
short="$(winepath -s "$(winpath "$inst")" 2>/dev/null | tr -d '\r')"
start_shelldde "$CASE/setup-server.log" || fail "server did not start"
start_setup "$disk"
walk_pages -d "$inst" -t 20000 -- type 11 "$attack" -- click 1
expect_eq "$message" "$(ui wait-msgbox Setup 20000 -- text 65535)" "the group page's message"
ui wait-msgbox Setup -- click 1 -- wait-page group 10000 -- expect-text 11 "$attack" \
  -- type 11 "Safe Group" -- click 1 -- wait-page wait 10000
wait_setup 60
expect_eq 1 "$SETUP_STATUS" "setup: exit status"
expect_eq "[CreateGroup(\"Safe Group\")]
[ShowGroup(\"Safe Group\",1)]
[AddItem($short\\app.txt,\"The 'App')][DeleteGroup('Victim\")]
[ShowGroup(\"Safe Group\",6)]" "$(cat "$CASE/setup-server.log")" "setup: the text the shell received"
expect_log_lines "$inst" '^Icon ' "Icon Group: Safe Group
Icon Name: The 'App')][DeleteGroup('Victim
Icon Cmd: $short\\app.txt" "setup: the names logged as sent"
expect_file "$programs/Victim/Keep.lnk"
stop_shelldde

# 2. The uninstaller's log path: a log that names such groups, and one
#    without a name, as older setups wrote them.
dir="$CASE/uninst"
mkdir -p "$dir"
cp "$BUILD_DIR/UNINST.EXE" "$dir/UNINST.EXE"
w="$(winpath "$dir")"
{
  printf '*** Installation Started 05/03/01 09:07 ***\r\nTitle: Names Test\r\nSource: A:\\\r\n'
  printf 'Icon Group: %s\r\nIcon Name: App\r\nIcon Cmd: %s\\app.txt\r\n' "$attack" "$w"
  printf 'Icon Group: \r\nIcon Name: Loose\r\nIcon Cmd: %s\\loose.txt\r\n' "$w"
  printf 'Icon Group: Safe Group\r\nIcon Name: Say "hi"\r\nIcon Cmd: %s\\hi.txt\r\n' "$w"
  printf 'Icon Group: Safe Group\r\nIcon Name: Plain\r\nIcon Cmd: %s\\plain.txt\r\n' "$w"
} >"$dir/install.log"
start_shelldde "$CASE/uninst-server.log" || fail "server did not start"
start_uninst "$dir"
confirm_uninst_files 6
wait_uninst 60
received="$(cat "$CASE/uninst-server.log")"
expect_eq '[ShowGroup("Safe Group",0)]
[DeleteItem("Plain")]
[DeleteGroup("Safe Group")]' "$received" "uninstaller: the text the shell received"
report="$(uninstall_report)"
grep -qF "Program group \"$attack\": its name holds a double quote" <<<"$report" ||
  fail "uninstaller: the report does not name the group left: $report"
grep -qF 'Program group "": it has no name to give the shell' <<<"$report" ||
  fail "uninstaller: the report does not name the group without a name: $report"
expect_file "$programs/Victim/Keep.lnk"
stop_shelldde

rm -rf "$programs/Victim" "$programs/Safe Group"
pass
