#!/usr/bin/env bash
# The background window: maximised over the desktop, dark blue, the title in
# light pink at the top left, and a click on it hands the keyboard focus back
# to the dialog on screen.
. "$SOURCE_DIR/tests/e2e/lib.sh"
e2e_init background
blue="30 30 130"

# colours_in SHOT WxH+X+Y: the distinct colours of that region, as #RRGGBB.
colours_in() {
  convert "$BUILD_DIR/screens/$1.png" -crop "$2" +repage -unique-colors txt:- |
    grep -o '#[0-9A-F]\{6\}' | sort -u
}

# new_disk NAME TITLE [EXTRA SCRIPT LINES]
new_disk() {
  disk="$CASE/$1"
  make_disk "$disk"
  { printf '[Title]\nDlgTitle=%s\nInstalDir=C:\\BackgroundTest\n' "$2"; printf '%s' "${3:-NumberDisk=0
}"; } | write_script "$disk"
}

new_disk titled "Background Test"
start_setup "$disk"
ui wait-background -- wait-page welcome -- maximised
shot background
cp "$BUILD_DIR/screens/background.png" "$BUILD_DIR/screens/welcome.png"
read -r left top right bottom < <(ui rect background)
[ "$left" -le 0 ] && [ "$top" -le 0 ] && [ "$right" -ge 1024 ] && [ "$bottom" -ge 768 ] ||
  fail "background window $left,$top,$right,$bottom does not cover the 1024x768 desktop"
for point in "5 760" "1018 40" "1018 760" "512 720" "150 400"; do
  expect_eq "$blue" "$(ui pixel $point)" "pixel at $point"
done
colours_in background 391x71+10+10 | grep -qx '#FFC8C8' ||
  fail "no pixel of the title colour (255,200,200) near the top left"

# The welcome page is modal: a click on the background leaves it the focus.
ui click-background -- expect-focus welcome -- key esc -- wait-gone welcome
wait_setup 30
expect_eq 1 "$SETUP_STATUS" "Esc after the click: exit status"

# An empty title paints nothing but the blue.
new_disk untitled ""
start_setup "$disk"
ui wait-background -- wait-page welcome
shot background-untitled
expect_eq "#1E1E82" "$(colours_in background-untitled 1024x220+0+25)" "colours above the page"
ui click 2
wait_setup 30

# During the copy, a click on the background gives the focus back to the
# progress dialog, so Esc still stops the copy. Every entry expands the same
# large file onto one destination, so the copy lasts but takes little room.
new_disk copying "Background Test" "NumberDisk=1
[Disk1]
NumberFiles=1000
$(for n in $(seq 1000); do echo "file$n=3,BIG.DAT,BIG.DAT"; done)
"
head -c 2000000 /dev/zero >"$disk/BIG.DAT"
touch "$disk/Disk1"
install="$DRIVE_C/BackgroundTest"
rm -rf "$install"
start_setup "$disk"
walk_pages -s progress -t 10000
shot background-progress
ui click-background -- expect-focus progress -- key esc -- wait-gone progress
wait_setup 60
expect_eq 1 "$SETUP_STATUS" "Esc during the copy: exit status"
expect_file "$install/install.log"
copied="$(log_count "$install" '^File Copy: ')"
[ "$copied" -lt 1000 ] || fail "the copy was not stopped by Esc"
rm -rf "$install"
pass
