#!/usr/bin/env bash
# The download form: one signed program that osslsigncode verifies installs
# the product (it unpacks into a folder of its own in the temporary
# directory, SETUP.EXE asks for no disk) and removes that folder, also after
# a cancelled installation; a cut and a corrupted download show their
# message, run nothing and leave nothing.
. "$SOURCE_DIR/tests/e2e/lib.sh"
. "$SOURCE_DIR/tools/shelldde/server.sh"
e2e_init download
RUN_PID=""
stop_download() {
  [ -n "$RUN_PID" ] && kill -9 "$RUN_PID" 2>/dev/null
  RUN_PID=""
}
trap 'stop_shelldde; kill_setup; stop_download' EXIT
for tool in openssl osslsigncode; do
  command -v "$tool" >/dev/null || fail "$tool is missing (make deps installs it)"
done

keys="$CASE/keys"
mkdir -p "$keys"
printf '[req]\ndistinguished_name=dn\n[dn]\n[code]\nextendedKeyUsage=codeSigning\n' >"$keys/ext.cnf"
openssl req -x509 -newkey rsa:2048 -nodes -keyout "$keys/code.key" -out "$keys/code.pem" -days 30 \
  -subj /CN=Download-Test-Vendor -config "$keys/ext.cnf" -extensions code >"$CASE/openssl.out" 2>&1 ||
  fail "openssl: $(cat "$CASE/openssl.out")"

product="$CASE/product"
inst="$CASE/Web Product"
mkdir -p "$product"
printf 'Web Product read me\n' >"$product/readme.txt"
head -c 300000 /dev/urandom >"$product/data.bin"
cat >"$CASE/product.auth" <<'AUTH'
[Title]
DlgTitle=Web Product (Beta)
InstalDir=C:\Proposed
[Files]
3,readme.txt,readme.txt
newdisk
3,data.bin,data.bin
[WinGroup]
GroupTitle=Web Product
item=readme.txt,Read Me
AUTH
"$BUILD_DIR/setupkit" pack "$CASE/product.auth" "$product" -o "$CASE/out" --media web \
  --uninstaller --setup-exe "$BUILD_DIR/SETUP.EXE" --uninst-exe "$BUILD_DIR/UNINST.EXE" \
  --stub-exe "$BUILD_DIR/WEBSTUB.EXE" --sign-cert "$keys/code.pem" --sign-key "$keys/code.key" \
  >"$CASE/pack.out" 2>&1 || fail "setupkit pack failed: $(cat "$CASE/pack.out")"
download="$CASE/out/Web_Product_Beta.exe"
expect_file "$download"
expect_eq "Web_Product_Beta.exe setup.inf pack-list.txt" \
  "$(grep -v '^#' "$CASE/out/pack-list.txt" | tr '\n' ' ' | sed 's/ $//')" "pack list"
osslsigncode verify -CAfile "$keys/code.pem" -in "$download" >"$CASE/verify.out" 2>&1 &&
  grep -q "Signature verification: ok" "$CASE/verify.out" ||
  fail "the download does not verify: $(cat "$CASE/verify.out")"

temp="$(temp_dir)"
mkdir -p "$temp"
before="$(ls -A "$temp")"
# run_download FILE: FILE under Wine in the background; RUN_PID is its process.
run_download() {
  (cd "$CASE" && exec wine "$1") >>"$CASE/download-output.txt" 2>&1 </dev/null &
  RUN_PID=$!
  SETUP_PID=$RUN_PID
}
expect_temp_unchanged() {
  expect_eq "$before" "$(ls -A "$temp")" "$1: the temporary directory"
}

start_shelldde "$CASE/server.log" || fail "server did not start"
run_download "$download"
walk_pages -d "$inst" -s group -g next
wait_setup 90
expect_eq 1 "$SETUP_STATUS" "install: exit status (SETUP.EXE's)"
cmp -s "$product/readme.txt" "$inst/readme.txt" || fail "installed readme.txt differs"
cmp -s "$product/data.bin" "$inst/data.bin" || fail "installed data.bin differs"
key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Web Product (Beta)'
short="$(winepath -s "$(winpath "$inst")" 2>/dev/null | tr -d '\r')"
expect_eq "$short\\UNINST.EXE" "$(reg_value "$key" DisplayIcon)" "DisplayIcon"
expect_temp_unchanged install

run_download "$download"
ui wait-background 20000 -- wait-page welcome 20000 -- click 2 -- wait-gone welcome
wait_setup 30
expect_eq 1 "$SETUP_STATUS" "cancelled: exit status (SETUP.EXE's)"
expect_temp_unchanged cancelled

# A download cut in its signature and in its product, and one with a byte
# of the product changed (the signature is not what the stub checks).
size="$(stat -c %s "$download")"
head -c $((size - 100)) "$download" >"$CASE/cut-signature.exe"
head -c $((size / 2)) "$download" >"$CASE/cut-product.exe"
cp "$download" "$CASE/corrupt.exe"
printf '\x5a' | dd of="$CASE/corrupt.exe" bs=1 seek=$((size / 2)) conv=notrunc status=none
cmp -s "$download" "$CASE/corrupt.exe" &&
  printf '\xa5' | dd of="$CASE/corrupt.exe" bs=1 seek=$((size / 2)) conv=notrunc status=none
for bad in cut-signature cut-product corrupt; do
  run_download "$CASE/$bad.exe"
  ui wait-msgbox Setup 20000 -- expect-text 65535 "This download is damaged or incomplete. Please download it again." -- click 1
  wait_setup 30
  expect_eq 2 "$SETUP_STATUS" "$bad: exit status"
  expect_temp_unchanged "$bad"
done
pass
