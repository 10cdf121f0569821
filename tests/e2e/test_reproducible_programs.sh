#!/usr/bin/env bash
# Two builds of the same sources in two places give the same SETUP.EXE and
# UNINST.EXE, byte for byte: the sources are copied to a folder of another
# name (as a second clone would be) and only the two programs are built there,
# with BUILD_DIR's toolchain and build type, into a build folder of another
# name too. Needs no Wine. Also checks that the PE header carries no link time.
set -u
: "${BUILD_DIR:?}" "${SOURCE_DIR:?}"
NAME=reproducible_programs
fail() { echo "FAIL $NAME: $*" >&2; exit 1; }

for program in SETUP.EXE UNINST.EXE; do
  [ -f "$BUILD_DIR/$program" ] || fail "$BUILD_DIR/$program is missing"
done
cache() { sed -n "s/^$1:[A-Z]*=//p" "$BUILD_DIR/CMakeCache.txt"; }
toolchain="$(cache CMAKE_TOOLCHAIN_FILE)"
build_type="$(cache CMAKE_BUILD_TYPE)"
[ -f "$toolchain" ] || fail "no toolchain file in $BUILD_DIR/CMakeCache.txt"

work="$(mktemp -d "${TMPDIR:-/tmp}/second-clone.XXXXXX")"
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/elsewhere/src"
# What a clone holds: the tracked files (as they are in the working tree) and
# new ones not ignored; without git, everything but the build folders.
if git -C "$SOURCE_DIR" rev-parse --git-dir >/dev/null 2>&1; then
  (cd "$SOURCE_DIR" && git ls-files -z -c -o --exclude-standard |
    tar --null --ignore-failed-read -T - -cf -) | tar -xf - -C "$work/elsewhere/src" ||
    fail "cannot copy the sources"
else
  (cd "$SOURCE_DIR" && tar --exclude='./build*' -cf - .) | tar -xf - -C "$work/elsewhere/src" ||
    fail "cannot copy the sources"
fi

start=$(date +%s)
cmake -S "$work/elsewhere/src" -B "$work/other-build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
  -DCMAKE_BUILD_TYPE="$build_type" >"$work/configure.log" 2>&1 ||
  fail "configure failed: $(tail -n 20 "$work/configure.log")"
cmake --build "$work/other-build" --target setup uninst >"$work/build.log" 2>&1 ||
  fail "build failed: $(tail -n 20 "$work/build.log")"
echo "second build: $(($(date +%s) - start)) s"

# The PE file header's TimeDateStamp: 4 bytes, 8 after the "PE\0\0" signature.
pe_time() {
  local offset
  offset=$(od -An -t u4 -j 60 -N 4 "$1" | tr -d ' ')
  od -An -t u4 -j $((offset + 8)) -N 4 "$1" | tr -d ' '
}
for program in SETUP.EXE UNINST.EXE; do
  [ "$(pe_time "$BUILD_DIR/$program")" = 0 ] ||
    fail "$program carries a link time ($(pe_time "$BUILD_DIR/$program"))"
  cmp "$BUILD_DIR/$program" "$work/other-build/$program" ||
    fail "$program differs between $BUILD_DIR and a build of the same sources elsewhere"
done
echo "PASS $NAME"
