#!/usr/bin/env bash
# A product packed with setupkit installs with SETUP.EXE: two disks (the
# second "inserted" by copying its files into the program's directory), a
# file staged through the temporary directory, a locale-chosen file, a file
# under 16 bytes, and the uninstaller's entries (a stand-in UNINST.EXE).
. "$SOURCE_DIR/tests/e2e/lib.sh"
. "$SOURCE_DIR/tools/shelldde/server.sh"
e2e_init pack_install
trap 'stop_shelldde; kill_setup' EXIT

product="$CASE/product"
packed="$CASE/packed"
disk="$CASE/disk"
inst="$CASE/Packed Product"
mkdir -p "$product/docs" "$product/lang" "$disk"
printf 'Packed Product main program stand-in\n' >"$product/app.txt"
printf 'tiny\n' >"$product/docs/tiny.txt"
head -c 70000 /dev/urandom >"$product/data.bin"
printf 'russian\n' >"$product/lang/ru.txt"
printf 'every other locale\n' >"$product/lang/en.txt"
printf 'MZ uninstaller stand-in\n' >"$CASE/UNINST.EXE"
cat >"$CASE/product.auth" <<'AUTH'
[Title]
DlgTitle=Packed Product
InstalDir=C:\Proposed
DisplayVersion=3.2
[SubDir]
docs
[Files]
3,app.txt,app.txt
3,docs/tiny.txt,docs\tiny.txt
4,data.bin,data.tmp
newdisk
5,data.tmp,data.bin
6,lang/ru.txt,lang/en.txt,docs\lang.txt
[Register]
regKey=1,Software\PackedProduct
regVal=Home,#s\
[WinGroup]
GroupTitle=Packed Product
item=app.txt,Packed Product
AUTH
"$BUILD_DIR/setupkit" pack "$CASE/product.auth" "$product" -o "$packed" --uninstaller \
  --setup-exe "$BUILD_DIR/SETUP.EXE" --uninst-exe "$CASE/UNINST.EXE" >"$CASE/pack.out" ||
  fail "setupkit pack failed: $(cat "$CASE/pack.out")"
[ -d "$packed/disk2" ] && [ ! -d "$packed/disk3" ] || fail "expected two disks: $(cat "$CASE/pack.out")"
cp "$packed"/disk1/* "$disk/"

start_shelldde "$CASE/server.log" || fail "server did not start"
start_setup "$disk"
walk_pages -d "$inst" -s next \
  -- wait-msgbox "New Disk Needed" 30000 -- expect-text 65535 "Please insert disk #2"
cp "$packed"/disk2/* "$disk/"
ui wait-msgbox "New Disk Needed" -- click 1 -- wait-page group 30000
walk_pages -f group -g next
wait_setup 60
expect_eq 1 "$SETUP_STATUS" "exit status"

for pair in app.txt:app.txt docs/tiny.txt:docs/tiny.txt data.bin:data.bin lang/en.txt:docs/lang.txt; do
  cmp -s "$product/${pair%%:*}" "$inst/${pair#*:}" || fail "installed ${pair#*:} differs"
done
cmp -s "$CASE/UNINST.EXE" "$inst/UNINST.EXE" || fail "installed UNINST.EXE differs"
expect_no_file "$(temp_dir)/data.tmp"

short="$(winepath -s "$(winpath "$inst")" 2>/dev/null | tr -d '\r')"
key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Packed Product'
expect_eq "Packed Product" "$(reg_value "$key" DisplayName)" "DisplayName"
expect_eq "$short\\UNINST.EXE install-4599c0c4.rec" "$(reg_value "$key" UninstallString)" "UninstallString"
expect_eq "3.2" "$(reg_value "$key" DisplayVersion)" "DisplayVersion"
expect_eq "$short\\" "$(reg_value 'HKCU\Software\PackedProduct' Home)" "HKCU Home"
grep -qF "[AddItem($short\UNINST.EXE,\"Uninstall Packed Product\")]" "$CASE/server.log" ||
  fail "no uninstall item: $(cat "$CASE/server.log")"
pass
