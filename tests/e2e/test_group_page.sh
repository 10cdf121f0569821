#!/usr/bin/env bash
# The program group page: its text and the proposed name, the existing groups
# (only the Programs folder's sub-folders, under display names, sorted), a
# double-click replacing the name, Cancel ending the run, an empty name accepted.
. "$SOURCE_DIR/tests/e2e/lib.sh"
e2e_init group_page
title="Group Product"

# The Start menu's Programs folder as a Linux path.
programs_win="$(reg_value 'HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\Shell Folders' Programs)"
[ -n "$programs_win" ] || fail "no Programs folder in the registry"
rest="${programs_win#?:\\}"
programs="$DRIVE_C/${rest//\\//}"
mkdir -p "$programs"
for name in "alpha" "Beta" "Long Group Name" "Zeta Tools"; do mkdir -p "$programs/$name"; done
echo "not a real shortcut" >"$programs/Readme.lnk"
echo "x" >"$programs/App.txt"

product() {  # DIR
  make_disk "$1"
  printf '[Title]\nDlgTitle=%s\nInstalDir=C:\\unused\nNumberDisk=0\n[WinGroup]\nGroupTitle=My Group\n' \
    "$title" | write_script "$1"
}

# 1. The page, the list, a double-click, then Cancel.
inst="$CASE/inst1"
product "$CASE/d1"
start_setup "$CASE/d1"
walk_pages -d "$inst" -t 20000
ui expect-text 15 "Setup will create a group for $title" -- expect-text 11 "My Group"
listed="$(ui list 13)"
shot group
expected="$(find "$programs" -mindepth 1 -maxdepth 1 -type d -printf '%f\n' | sort)"
expect_eq "$expected" "$(sort <<<"$listed")" "the groups are the sub-folders"
grep -qx -e 'Readme.lnk' -e 'App.txt' -e '\[..\]' <<<"$listed" && fail "files listed: $listed"
mine="$(grep -x -e alpha -e Beta -e 'Long Group Name' -e 'Zeta Tools' <<<"$listed" | tr '\n' '|')"
expect_eq "alpha|Beta|Long Group Name|Zeta Tools|" "$mine" "sorted without regard to case"
ui dblclick 13 "Long Group Name" -- wait-text 11 "Long Group Name"
ui dblclick 13 "alpha" -- wait-text 11 "alpha"
ui click 2 -- wait-gone group
wait_setup 30
expect_eq 1 "$SETUP_STATUS" "Cancel on the group page: exit status"
expect_file "$inst/install.log"
expect_no_file "$(temp_dir)/install.log"

# 2. An empty name is accepted and the run goes on to the group creation.
inst="$CASE/inst2"
product "$CASE/d2"
start_setup "$CASE/d2"
walk_pages -d "$inst" -t 20000 -- type 11 "" -- expect-text 11 "" -- click 1 -- wait-gone group \
  -- wait-page wait 20000
wait_setup 90
expect_eq 1 "$SETUP_STATUS" "empty group name: exit status"
expect_file "$inst/install.log"

# Leave the Start menu as the other tests expect it.
for name in "alpha" "Beta" "Long Group Name" "Zeta Tools"; do rmdir "$programs/$name" 2>/dev/null; done
rm -f "$programs/Readme.lnk" "$programs/App.txt"
pass
