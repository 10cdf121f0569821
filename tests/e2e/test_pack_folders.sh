#!/usr/bin/env bash
# A product packed from folders and patterns, with no [SubDir] written,
# installs whole: every nested directory is made (pack derived them), and
# incompressible files, stored on the disk under their own names, arrive
# byte for byte through every file type (1, 2, 3, 4 then 5, and 6).
. "$SOURCE_DIR/tests/e2e/lib.sh"
. "$SOURCE_DIR/tools/shelldde/server.sh"
e2e_init pack_folders
trap 'stop_shelldde; kill_setup' EXIT

product="$CASE/product"
packed="$CASE/packed"
disk="$CASE/disk"
inst="$CASE/Folder Product"
mkdir -p "$product/app/a/b/c" "$product/app/.git" "$product/bin" "$product/ru/sub" \
  "$product/en/sub" "$disk"
printf 'top\n' >"$product/app/top.txt"
printf 'deep text, deep text, deep text, deep text\n' >"$product/app/a/b/c/deep.txt"
head -c 20000 /dev/urandom >"$product/app/a/noise.bin"
printf 'not shipped\n' >"$product/app/.git/config"
printf 'one\n' >"$product/bin/one.dll"
head -c 5000 /dev/urandom >"$product/bin/two.dll"
printf 'left out by the pattern\n' >"$product/bin/three.exe"
for lang in ru en; do
  printf '%s words\n' "$lang" >"$product/$lang/words.txt"
  head -c 3000 /dev/urandom >"$product/$lang/sub/noise.bin"
done
for n in 1 2 5; do head -c 4000 /dev/urandom >"$product/raw$n.bin"; done
cat >"$CASE/product.auth" <<'AUTH'
[Title]
DlgTitle=Folder Product
InstalDir=C:\Proposed
[Files]
3,app/,
3,bin/*.dll,lib\
6,ru/,en/,lang\
1,raw1.bin,pkfold1.bin
2,raw2.bin,pkfold2.bin
4,raw5.bin,pkfold5.tmp
5,pkfold5.tmp,data\raw5.bin
[Register]
regKey=HKCU,Software\FolderProduct
regVal=Home,#s\
[WinGroup]
GroupTitle=Folder Product
item=a\b\c\deep.txt,Deep
AUTH
"$BUILD_DIR/setupkit" pack "$CASE/product.auth" "$product" -o "$packed" \
  --setup-exe "$BUILD_DIR/SETUP.EXE" >"$CASE/pack.out" 2>"$CASE/pack.err" ||
  fail "setupkit pack failed: $(cat "$CASE/pack.out" "$CASE/pack.err")"
[ -s "$CASE/pack.err" ] && fail "pack warned: $(cat "$CASE/pack.err")"
for name in NOISE.BIN TWO.DLL RAW1.BIN RAW2.BIN RAW5.BIN; do
  expect_file "$packed/disk1/$name"
done
expect_file "$packed/disk1/DEEP.TX_"
grep -qi 'Dir3=a\\b\\c' "$packed/setup.inf" || fail "no derived Dir3: $(cat "$packed/setup.inf")"
"$BUILD_DIR/setupkit" check "$CASE/product.auth" "$product" >"$CASE/check.out" ||
  fail "check on the authoring file failed: $(cat "$CASE/check.out")"
cp "$packed"/disk1/* "$disk/"

start_shelldde "$CASE/server.log" || fail "server did not start"
start_setup "$disk"
walk_pages -d "$inst" -g next
wait_setup 60
expect_eq 1 "$SETUP_STATUS" "exit status"

# product:installed pairs, every file the lines name
pairs="app/top.txt:top.txt app/a/b/c/deep.txt:a/b/c/deep.txt app/a/noise.bin:a/noise.bin
bin/one.dll:lib/one.dll bin/two.dll:lib/two.dll en/words.txt:lang/words.txt
en/sub/noise.bin:lang/sub/noise.bin raw5.bin:data/raw5.bin"
for pair in $pairs; do
  cmp -s "$product/${pair%%:*}" "$inst/${pair#*:}" || fail "installed ${pair#*:} differs"
done
cmp -s "$product/raw1.bin" "$(windows_dir)/pkfold1.bin" || fail "type 1 raw file differs"
cmp -s "$product/raw2.bin" "$(system_dir)/pkfold2.bin" || fail "type 2 raw file differs"
expect_no_file "$inst/.git"
expect_no_file "$inst/lib/three.exe"
expect_no_file "$(temp_dir)/pkfold5.tmp"
installed="$(cd "$inst" && find . -type f ! -name install.log ! -name install-1fb9ebe2.rec | wc -l)"
expect_eq 8 "$installed" "files in the install directory"
rm -f "$(windows_dir)/pkfold1.bin" "$(system_dir)/pkfold2.bin"
pass
