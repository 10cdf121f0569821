#!/usr/bin/env bash
# make install into an empty prefix and with DESTDIR, and make deb: the
# files each puts where, one version everywhere, and the installed and the
# packaged setupkit pack without being told where SETUP.EXE is. No Wine.
. "$SOURCE_DIR/tests/e2e/lib.sh"
e2e_init kit_install
root="$BUILD_DIR"
[ "$(basename "$BUILD_DIR")" = win64 ] && root="$(dirname "$BUILD_DIR")"
run_make() {
  make -C "$SOURCE_DIR" --no-print-directory BUILD="$root" "$@" >"$CASE/make.out" 2>&1 ||
    fail "make $*: $(tail -20 "$CASE/make.out")"
}
files_under() { (cd "$1" && find . -type f -o -type l | sed 's|^\./||' | LC_ALL=C sort | tr '\n' ' '); }

installed="bin/setupkit share/doc/setupkit/README.md share/doc/setupkit/download-format.md \
share/doc/setupkit/setupkit-names.md share/man/man1/setupkit.1 share/setupkit/SETUP.EXE \
share/setupkit/UNINST.EXE share/setupkit/WEBSTUB.EXE "
prefix="$CASE/prefix"
mkdir -p "$prefix"
run_make install PREFIX="$prefix"
expect_eq "$installed" "$(files_under "$prefix")" "installed files"
for program in SETUP.EXE UNINST.EXE WEBSTUB.EXE; do
  cmp -s "$root/$program" "$prefix/share/setupkit/$program" || fail "installed $program differs"
done
version="$("$prefix/bin/setupkit" --version)"
[[ "$version" =~ ^setupkit\ [0-9]+\.[0-9]+\.[0-9]+$ ]] || fail "--version printed [$version]"
version="${version#setupkit }"
grep -q "^\.TH SETUPKIT 1 \"\" \"setupkit $version\"" "$prefix/share/man/man1/setupkit.1" ||
  fail "the man page does not give version $version"
grep -q '^## setupkit' "$prefix/share/doc/setupkit/README.md" || fail "no setupkit part in the README"
grep -q '^## Uninstalling' "$prefix/share/doc/setupkit/README.md" && fail "the README goes past its part"

run_make install PREFIX=/usr DESTDIR="$CASE/dest"
expect_eq "$(echo $installed | sed 's|\([^ ]*\)|usr/\1|g') " "$(files_under "$CASE/dest")" "DESTDIR files"

# pack_with SETUPKIT SHARE: a CD pack with no program named, whose SETUP.EXE
# and UNINST.EXE are SHARE's, and a download.
product="$CASE/product"
mkdir -p "$product"
printf 'read me\n' >"$product/readme.txt"
printf '[Title]\nDlgTitle=Kit Product\n[Files]\n3,readme.txt,readme.txt\n' >"$CASE/product.auth"
pack_with() {
  local out="$CASE/packed-$(basename "$(dirname "$(dirname "$2")")")"
  "$1" pack "$CASE/product.auth" "$product" -o "$out" --media cd --uninstaller >"$CASE/pack.out" 2>&1 ||
    fail "$1 pack: $(cat "$CASE/pack.out")"
  cmp -s "$2/SETUP.EXE" "$out/disk1/SETUP.EXE" || fail "$1 packed another SETUP.EXE"
  grep -q "^# What setupkit $version pack made" "$out/pack-list.txt" || fail "no version in the pack list"
  "$1" pack "$CASE/product.auth" "$product" -o "$out-web" --media web >"$CASE/pack.out" 2>&1 ||
    fail "$1 pack --media web: $(cat "$CASE/pack.out")"
  expect_file "$out-web/Kit_Product.exe"
}
pack_with "$prefix/bin/setupkit" "$prefix/share/setupkit"

mkdir -p "$CASE/deb"
run_make deb DEB_DIR="$CASE/deb"
arch="$(dpkg --print-architecture)"
deb="$CASE/deb/setupkit_${version}_${arch}.deb"
expect_file "$deb"
listed="$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { sub(/^\.\//, "", $6); print $6 }' | LC_ALL=C sort | tr '\n' ' ')"
packaged="usr/bin/setupkit usr/share/doc/setupkit/README.md usr/share/doc/setupkit/changelog.gz \
usr/share/doc/setupkit/copyright usr/share/doc/setupkit/download-format.md \
usr/share/doc/setupkit/setupkit-names.md usr/share/man/man1/setupkit.1.gz \
usr/share/setupkit/SETUP.EXE usr/share/setupkit/UNINST.EXE usr/share/setupkit/WEBSTUB.EXE "
expect_eq "$packaged" "$listed" "the package's files"
dpkg-deb -c "$deb" | awk '$2 != "root/root" { exit 1 }' || fail "files not owned by root"
expect_eq "$version" "$(dpkg-deb -f "$deb" Version)" "package version"
expect_eq "osslsigncode, xorriso, mtools" "$(dpkg-deb -f "$deb" Recommends)" "Recommends"
depends="$(dpkg-deb -f "$deb" Depends)"
for library in libc6 libmspack0 libssl3; do
  [[ "$depends" == *"$library"* ]] || fail "Depends lacks $library: $depends"
done
dpkg-deb -x "$deb" "$CASE/extracted"
pack_with "$CASE/extracted/usr/bin/setupkit" "$CASE/extracted/usr/share/setupkit"
if command -v lintian >/dev/null; then
  lintian --fail-on error "$deb" >"$CASE/lintian.out" 2>&1 || fail "lintian: $(cat "$CASE/lintian.out")"
fi
pass
