#!/usr/bin/env bash
# The installation log: its header, CR LF line ends, "Made Dir" lines only for
# directories this run made, the move into the install directory (after a
# cancelled group page and after a complete run), a second run replacing the
# first log, and a log left in %TEMP% when the install directory cannot be made.
. "$SOURCE_DIR/tests/e2e/lib.sh"
e2e_init log
temp="$(temp_dir)"
parent="$DRIVE_C/LogTest"
install="$parent/App"
rm -rf "$parent" "$DRIVE_C/nope" "$temp/install.log"
mkdir -p "$parent"

disk="$CASE/disk"
make_disk "$disk"
write_script "$disk" <<'INF'
[Title]
DlgTitle=Log Product
InstalDir=C:\Proposed
NumberDisk=0
[SubDir]
NumberDirs=1
Dir1=Sub
INF

# run_to_group DIR SHOT: through the welcome and directory pages into DIR, up
# to the group page, with screenshots SHOT-welcome, SHOT-directory and
# SHOT-group; $started holds the minutes the start can fall into.
run_to_group() {
  started="$(date +'%d/%m/%y %H:%M')"
  start_setup "$disk"
  walk_pages -d "$1" -p "$2"
  started="$started|$(date +'%d/%m/%y %H:%M')"
}

# check_header DIR: the three header lines of DIR/install.log, and CR LF at
# every line end.
check_header() { expect_log_head "$1" "Log Product" "$(winpath "$disk")" "$started"; }

# First run: Cancel on the group page; the log goes into the install directory.
run_to_group "$install" log
ui click 2 -- wait-gone group
wait_setup 30
expect_eq 1 "$SETUP_STATUS" "group page cancelled: exit status"
check_header "$install"
expect_log_lines "$install" '^Made Dir: ' $'Made Dir: C:\\LogTest\\App\nMade Dir: C:\\LogTest\\App\\Sub' \
  "first run: directories made"
expect_no_file "$temp/install.log"

# Second run into the existing directory, whose Sub was removed, to the end:
# only Sub is made again, and its log replaces the first.
rmdir "$install/Sub"
run_to_group "$install" log-again
ui click 1 -- wait-gone group
wait_setup 60
expect_eq 1 "$SETUP_STATUS" "complete run: exit status"
check_header "$install"
expect_log_lines "$install" '^Made Dir: ' 'Made Dir: C:\LogTest\App\Sub' "second run: directories made"
expect_eq 1 "$(log_count "$install" 'Installation Started')" "header lines in the replaced log"
expect_no_file "$temp/install.log"

# An install directory that cannot be made (a file stands where its parent
# must go): the log stays in %TEMP%.
printf 'a file\n' >"$DRIVE_C/nope"
started="$(date +'%d/%m/%y %H:%M')"
start_setup "$disk"
walk_pages -d "$DRIVE_C/nope/x" -s next -- wait-msgbox Setup 20000 -- click 1
wait_setup 30
expect_eq 1 "$SETUP_STATUS" "uncreatable directory: exit status"
started="$started|$(date +'%d/%m/%y %H:%M')"
check_header "$temp"
expect_eq 3 "$(wc -l <"$temp/install.log")" "lines of the log left in %TEMP%"
[ -f "$DRIVE_C/nope" ] || fail "the file in the way was changed"
rm -f "$temp/install.log" "$DRIVE_C/nope"
rm -rf "$parent"
pass
