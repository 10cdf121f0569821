#!/usr/bin/env bash
# The directory page: its text, the proposal and both space figures; Next
# refused for too little room and for a drive that does not exist; moving
# through the list by double-clicks, with display names; accepting a folder.
. "$SOURCE_DIR/tests/e2e/lib.sh"
e2e_init directory_page
title="Dir Product"

# The UI driver reads \\ as one backslash.
esc() { printf '%s' "${1//\\/\\\\}"; }

# The C: free space in KB as the platform reports it; other work on the same
# file system moves it meanwhile, so the figure must lie between a reading
# before and one after, give or take 512 MB.
df_kb() { df -k --output=avail "$DRIVE_C" | tail -n 1 | tr -d ' '; }
shown_free() {  # STEP...: checks the "%ld Kb" figure that the UI driver step reads
  local before after shown low high
  before="$(df_kb)"
  shown="$(ui "$@")"
  after="$(df_kb)"
  [[ "$shown" =~ ^[0-9]+\ Kb$ ]] || fail "free space [$shown] is not \"%ld Kb\""
  low=$(( (before < after ? before : after) - 524288 ))
  high=$(( (before > after ? before : after) + 524288 ))
  [ "$high" -gt 2147483647 ] && high=2147483647
  [ "${shown% Kb}" -ge "$low" ] && [ "${shown% Kb}" -le "$high" ] ||
    fail "free space $shown, the file system has $before..$after KB"
}

# A drive letter Wine does not map.
missing=""
for letter in q r s t u v w x y; do
  [ -e "$WINEPREFIX/dosdevices/$letter:" ] || { missing="$letter"; break; }
done
[ -n "$missing" ] || fail "no unmapped drive letter"

product() {  # DIR SIZEINST
  make_disk "$1"
  printf '[Title]\nDlgTitle=%s\nInstalDir=C:\\DirProduct\nSizeInst=%s\nNumberDisk=0\n' \
    "$title" "$2" | write_script "$1"
}

# 1. What the page shows, and walking through the list.
mkdir -p "$CASE/tree/Long Directory Name/inner"
product "$CASE/d1" 100
start_setup "$CASE/d1"
walk_pages -s directory
ui expect-text 15 "The setup program will install the $title files to the following directory." \
  -- expect-text 11 "$(esc 'C:\DirProduct')" -- expect-text 14 "100 Kb"
shown_free text 16
entries="$(ui list 13)"
grep -qx '\[-c-\]' <<<"$entries" || fail "no drive entry [-c-] in: $entries"
grep -qx '\[e2e\]' <<<"$entries" || fail "the root's sub-directories are not listed: $entries"
grep -qv '^\[' <<<"$entries" && fail "files in the list: $entries"
shot directory

ui dblclick 13 "[e2e]" -- wait-text 11 "$(esc "c:\\e2e\\$title")"
ui dblclick 13 "[directory_page]" -- wait-text 11 "$(esc "c:\\e2e\\directory_page\\$title")" \
  -- dblclick 13 "[tree]" -- wait-text 11 "$(esc "c:\\e2e\\directory_page\\tree\\$title")"
ui dblclick 13 "[Long Directory Name]" \
  -- wait-text 11 "$(esc "c:\\e2e\\directory_page\\tree\\Long Directory Name\\$title")"
shown_free text 16
ui dblclick 13 "[..]" -- wait-text 11 "$(esc "c:\\e2e\\directory_page\\tree\\$title")"
ui dblclick 13 "[..]" -- wait-text 11 "$(esc "c:\\e2e\\directory_page\\$title")"
ui dblclick 13 "[..]" -- wait-text 11 "$(esc "c:\\e2e\\$title")"
ui dblclick 13 "[..]" -- wait-text 11 "$(esc "c:\\$title")"
ui dblclick 13 "[-c-]" -- sleep 500 -- expect-text 11 "$(esc "c:\\$title")"
shot directory-root
ui key esc -- wait-gone directory
wait_setup 30
expect_eq 1 "$SETUP_STATUS" "Esc: exit status"
expect_no_file "$DRIVE_C/DirProduct"

# 2. Far more required than free: Next refused, the page stays open.
product "$CASE/d2" 2000000000
start_setup "$CASE/d2"
walk_pages -s directory
ui expect-text 14 "2000000000 Kb" -- click 1 -- sleep 500 -- wait-page directory 1000 \
  -- expect-text 11 "$(esc 'C:\DirProduct')"
shown_free text 16
ui click 2 -- wait-gone directory
wait_setup 30
expect_eq 1 "$SETUP_STATUS" "Cancel: exit status"
expect_no_file "$DRIVE_C/DirProduct"

# 3. Nothing required: a missing drive is refused and shows 0 Kb; then a real
# folder is accepted and the run goes on to the group page.
inst="$CASE/inst"
product "$CASE/d3" 0
start_setup "$CASE/d3"
walk_pages -s directory
ui expect-text 14 "0 Kb" -- type 11 "${missing^^}:\\x" -- click 1 -- sleep 500 \
  -- wait-page directory 1000 -- expect-text 16 "0 Kb"
walk_pages -f directory -d "$inst" -t 20000 -g cancel
wait_setup 30
expect_eq 1 "$SETUP_STATUS" "accepted, then Cancel on the group page: exit status"
[ -d "$inst" ] || fail "the accepted directory was not made"
expect_file "$inst/install.log"
pass
