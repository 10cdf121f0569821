#!/usr/bin/env bash
# Our shell DDE server with names that are no file names: device names (CON,
# NUL, COM1, LPT1, AUX, also with an extension) as group and item names come
# out as ordinary folders and links, nothing lands in a drive root, and a
# file standing where the group folder should be is left alone (the server
# refuses the commands instead of writing into it or beside it).
. "$SOURCE_DIR/tests/e2e/lib.sh"
. "$SOURCE_DIR/tools/shelldde/server.sh"
e2e_init shelldde_names
trap 'stop_shelldde; kill_setup; rm -f "$programs/Blocked"' EXIT

programs="$(_wine_user_dir)/AppData/Roaming/Microsoft/Windows/Start Menu/Programs"
inst="$CASE/Install"

# product DISK GROUP: one file and four items named like devices.
product() {
  make_disk "$1"
  touch "$1/Disk1"
  printf 'the program of the device-name test\n' >"$CASE/app.txt"
  compress "$CASE/app.txt" "$1/APP.TX_"
  write_script "$1" <<EOF2
[Title]
DlgTitle=Device Names
NumberDisk=1
[Disk1]
NumberFiles=1
file1=3,APP.TX_,app.txt
[WinGroup]
GroupTitle=$2
NumberItem=4
item1=app.txt,NUL
item2=app.txt,com1.txt
item3=app.txt,Aux
item4=app.txt,LPT1.lnk
EOF2
}

run() {
  start_setup "$1"
  walk_pages -d "$inst" -g next
}

# Everything in the drive roots before the runs, to see that nothing is added.
roots_before="$(ls -A "$DRIVE_C" | sort)"

# 1. A group named CON with device-named items.
disk="$CASE/devices/disk"
product "$disk" "CON"
start_shelldde "$CASE/devices/server.log" || fail "server did not start"
run "$disk"
wait_setup 60
expect_eq 1 "$SETUP_STATUS" "exit status"
grep -q '^\[CreateGroup("CON")\]$' "$CASE/devices/server.log" || fail "CreateGroup not received"
folder="$programs/_ON"
expect_file "$folder"
for link in "_UL.lnk" "_om1.txt.lnk" "_ux.lnk" "_PT1.lnk.lnk"; do
  expect_file "$folder/$link"
done
expect_eq 4 "$(find "$folder" -maxdepth 1 -name '*.lnk' | wc -l)" "links in the group"
stop_shelldde

# 2. A file where the group folder should be: it stays as it was, and no link
#    is made anywhere for this group.
disk="$CASE/blocked/disk"
product "$disk" "Blocked"
mkdir -p "$programs"
printf 'not a folder\n' >"$programs/Blocked"
start_shelldde "$CASE/blocked/server.log" || fail "server did not start"
run "$disk"
wait_setup 60
expect_eq 1 "$SETUP_STATUS" "exit status with the folder blocked"
grep -q '^\[CreateGroup("Blocked")\]$' "$CASE/blocked/server.log" || fail "CreateGroup not received"
expect_eq "not a folder" "$(cat "$programs/Blocked")" "the file in the folder's place"
rm -f "$programs/Blocked"
stop_shelldde

expect_eq "$roots_before" "$(ls -A "$DRIVE_C" | sort)" "entries of the drive root"
pass
