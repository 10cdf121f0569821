#!/usr/bin/env bash
# A product bigger than a floppy, packed onto one CD with signed programs:
# a throwaway CA and code-signing certificate made here with openssl; the
# ISO image lists exactly the disc's files; two packs are byte-identical;
# osslsigncode verifies SETUP.EXE and UNINST.EXE from the disc, and the
# UNINST.EXE that SETUP.EXE, run from the disc folder, installed. Then the
# command line refuses a product link that leads out of the product folder and
# an -o that holds the vendor's own disk1/, changing nothing.
. "$SOURCE_DIR/tests/e2e/lib.sh"
. "$SOURCE_DIR/tools/shelldde/server.sh"
e2e_init pack_cd_signed
trap 'stop_shelldde; kill_setup' EXIT
for tool in openssl osslsigncode xorriso; do
  command -v "$tool" >/dev/null || fail "$tool is missing (make deps installs it)"
done

keys="$CASE/keys"
mkdir -p "$keys"
cat >"$keys/ext.cnf" <<'EOF'
[req]
distinguished_name=dn
[dn]
[ca]
basicConstraints=critical,CA:true
keyUsage=critical,keyCertSign
[code]
basicConstraints=CA:false
keyUsage=critical,digitalSignature
extendedKeyUsage=codeSigning
EOF
(
  cd "$keys" &&
    openssl req -x509 -newkey rsa:2048 -nodes -keyout ca.key -out ca.pem -days 30 \
      -subj /CN=Throwaway-Test-CA -config ext.cnf -extensions ca &&
    openssl req -newkey rsa:2048 -nodes -keyout code.key -out code.csr -subj /CN=Test-Vendor &&
    openssl x509 -req -in code.csr -CA ca.pem -CAkey ca.key -set_serial 2 -days 30 -out code.pem \
      -extfile ext.cnf -extensions code
) >"$CASE/openssl.out" 2>&1 || fail "openssl: $(cat "$CASE/openssl.out")"
verify() {
  osslsigncode verify -CAfile "$keys/ca.pem" -in "$1" >"$CASE/verify.out" 2>&1 &&
    grep -q "Signature verification: ok" "$CASE/verify.out" ||
    fail "$2 does not verify: $(cat "$CASE/verify.out")"
}

product="$CASE/product"
inst="$CASE/Disc Product"
mkdir -p "$product/docs"
head -c 2000000 /dev/urandom >"$product/big.bin"
printf 'Disc Product read me\n' >"$product/readme.txt"
printf 'guide\n' >"$product/docs/guide.txt"
cat >"$CASE/product.auth" <<'AUTH'
[Title]
DlgTitle=Disc Product
InstalDir=C:\Proposed
[SubDir]
docs
[Files]
3,readme.txt,readme.txt
3,big.bin,big.bin
3,docs/guide.txt,docs\guide.txt
[WinGroup]
GroupTitle=Disc Product
item=readme.txt,Read Me
AUTH
pack() {
  SOURCE_DATE_EPOCH=1700000000 "$BUILD_DIR/setupkit" pack "$CASE/product.auth" "$product" -o "$1" \
    --media cd --images --uninstaller --setup-exe "$BUILD_DIR/SETUP.EXE" \
    --uninst-exe "$BUILD_DIR/UNINST.EXE" --sign-cert "$keys/code.pem" --sign-key "$keys/code.key"
}
pack "$CASE/packed" >"$CASE/pack.out" 2>&1 || fail "setupkit pack failed: $(cat "$CASE/pack.out")"
grep -q "1 disc of 74min, SETUP.EXE and UNINST.EXE signed" "$CASE/pack.out" ||
  fail "unexpected summary: $(cat "$CASE/pack.out")"
disc="$CASE/packed/disk1"
[ ! -e "$CASE/packed/disk2" ] || fail "more than one disc"
sleep 1
pack "$CASE/again" >/dev/null 2>&1 || fail "the second pack failed"
diff -r "$CASE/packed" "$CASE/again" >/dev/null || fail "two packs differ"

# The image holds exactly the disc's files.
listed="$(xorriso -indev "$CASE/packed/disk1.iso" -ls / 2>/dev/null | tr -d "'" | sort)"
expect_eq "$(ls "$disc" | sort)" "$listed" "the image's files"
grep -q $'^open=SETUP.EXE\r$' "$disc/AUTORUN.INF" || fail "AUTORUN.INF: $(cat "$disc/AUTORUN.INF")"

verify "$disc/SETUP.EXE" "SETUP.EXE on the disc"
"$BUILD_DIR/setupkit" expand "$disc/UNINST.EX_" -o "$CASE/UNINST.EXE" >/dev/null ||
  fail "cannot expand UNINST.EX_"
verify "$CASE/UNINST.EXE" "UNINST.EXE on the disc"

# SETUP.EXE from the disc folder: no disk prompt between the pages.
start_shelldde "$CASE/server.log" || fail "server did not start"
start_setup "$disc"
walk_pages -d "$inst" -t 60000 -g next
wait_setup 60
expect_eq 1 "$SETUP_STATUS" "exit status"
for pair in readme.txt:readme.txt big.bin:big.bin docs/guide.txt:docs/guide.txt; do
  cmp -s "$product/${pair%%:*}" "$inst/${pair#*:}" || fail "installed ${pair#*:} differs"
done
verify "$inst/UNINST.EXE" "the installed UNINST.EXE"

# Refusals leave everything as it was.
snapshot() { (cd "$CASE" && find packed vendor -printf '%p %y %s %T@\n' | sort && cat packed/disk1.iso | md5sum); }
mkdir -p "$CASE/secret" "$CASE/vendor/disk1"
printf 'PRIVATE\n' >"$CASE/secret/id_rsa"
printf 'vendor\n' >"$CASE/vendor/disk1/APP.EXE"
ln -s "$CASE/secret" "$product/keys"
sed -i 's|^\[Files\]$|[Files]\n3,keys/id_rsa,id_rsa|' "$CASE/product.auth"
before="$(snapshot)"
pack "$CASE/packed" >"$CASE/refused.out" 2>&1 && fail "packed a file behind a link out of the product"
grep -q "product.auth:7: .*leads out of the product folder" "$CASE/refused.out" ||
  fail "unexpected message: $(cat "$CASE/refused.out")"
sed -i '/keys\/id_rsa/d' "$CASE/product.auth"
rm "$product/keys"
pack "$CASE/vendor" >"$CASE/refused.out" 2>&1 && fail "replaced the vendor's folder"
grep -q "holds 'disk1'" "$CASE/refused.out" || fail "unexpected message: $(cat "$CASE/refused.out")"
expect_eq "$before" "$(snapshot)" "the folders after the refusals"
pass
