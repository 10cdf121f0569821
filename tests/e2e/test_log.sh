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
  ui wait-page welcome
  shot "$2-welcome"
  ui click 1 -- wait-page directory -- type 11 "$1"
  shot "$2-directory"
  ui click 1 -- wait-page group 30000
  shot "$2-group"
  started="$started|$(date +'%d/%m/%y %H:%M')"
}

# check_header LOG: the three header lines, and CR LF at every line end.
check_header() {
  local log="$1" header
  expect_file "$log"
  [ "$(grep -c $'\r$' "$log")" = "$(wc -l <"$log")" ] || fail "$log: a line does not end with CR LF"
  grep -q $'\r\r' "$log" && fail "$log: doubled CR"
  [ "$(tail -c 2 "$log" | od -An -tx1 | tr -d ' ')" = "0d0a" ] || fail "$log: no CR LF at the end"
  header="$(sed -n 1p "$log" | tr -d '\r')"
  [[ "$header" =~ ^\*\*\*\ Installation\ Started\ ([0-9]{2}/[0-9]{2}/[0-9]{2}\ [0-9]{2}:[0-9]{2})\ \*\*\*$ ]] ||
    fail "header line: [$header]"
  [[ "|$started|" == *"|${BASH_REMATCH[1]}|"* ]] || fail "start time ${BASH_REMATCH[1]}, run started $started"
  expect_eq "Title: Log Product" "$(sed -n 2p "$log" | tr -d '\r')" "title line"
  expect_eq "Source: $(winpath "$disk")" "$(sed -n 3p "$log" | tr -d '\r')" "source line"
}

made_dirs() { grep '^Made Dir: ' "$1" | tr -d '\r'; }

# First run: Cancel on the group page; the log goes into the install directory.
run_to_group 'C:\LogTest\App' log
ui click 2 -- wait-gone group
wait_setup 30
expect_eq 1 "$SETUP_STATUS" "group page cancelled: exit status"
check_header "$install/install.log"
expect_eq $'Made Dir: C:\\LogTest\\App\nMade Dir: C:\\LogTest\\App\\Sub' "$(made_dirs "$install/install.log")" \
  "first run: directories made"
expect_no_file "$temp/install.log"

# Second run into the existing directory, whose Sub was removed, to the end:
# only Sub is made again, and its log replaces the first.
rmdir "$install/Sub"
run_to_group 'C:\LogTest\App' log-again
ui click 1 -- wait-gone group
wait_setup 60
expect_eq 1 "$SETUP_STATUS" "complete run: exit status"
check_header "$install/install.log"
expect_eq 'Made Dir: C:\LogTest\App\Sub' "$(made_dirs "$install/install.log")" "second run: directories made"
expect_eq 1 "$(grep -c 'Installation Started' "$install/install.log")" "header lines in the replaced log"
expect_no_file "$temp/install.log"

# An install directory whose parent is missing: the log stays in %TEMP%.
started="$(date +'%d/%m/%y %H:%M')"
start_setup "$disk"
ui wait-page welcome -- click 1 -- wait-page directory -- type 11 'C:\nope\x' -- click 1
wait_setup 30
expect_eq 1 "$SETUP_STATUS" "uncreatable directory: exit status"
started="$started|$(date +'%d/%m/%y %H:%M')"
check_header "$temp/install.log"
expect_eq 3 "$(wc -l <"$temp/install.log")" "lines of the log left in %TEMP%"
expect_no_file "$DRIVE_C/nope"
rm -f "$temp/install.log"
rm -rf "$parent"
pass
