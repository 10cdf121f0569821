#!/usr/bin/env bash
# The application manifest: SETUP.EXE and UNINST.EXE carry it (resource type
# 24, id 1: requireAdministrator, the supportedOS entries of Vista to 11, no
# common-controls dependency), and the system reads it: under Wine set to
# Windows 10 (8.1) a program built with it is told 10.0 (6.3), the same
# program without it 6.2.
. "$SOURCE_DIR/tests/e2e/lib.sh"
e2e_init manifest
trap 'wine reg delete "HKCU\\Software\\Wine" /v Version /f >/dev/null 2>&1' EXIT

# The manifest resource of a program, in windres's rc form.
manifest_of() {
  local windres=i686-w64-mingw32-windres
  objdump -f "$1" | grep -q 'x86-64' && windres=x86_64-w64-mingw32-windres
  "$windres" -i "$1" -O rc 2>/dev/null | sed -n '/^1 24 /,/^END/p'
}

for program in SETUP.EXE UNINST.EXE tests/os_version_manifest.exe; do
  manifest="$(manifest_of "$BUILD_DIR/$program")"
  [ -n "$manifest" ] || fail "$program: no manifest resource (type 24, id 1)"
  for expected in 'level=""requireAdministrator""' 'urn:schemas-microsoft-com:asm.v2' \
    e2011457-1546-43c5-a5fe-008deee3d3f0 35138b9a-5d96-4fbd-8e2d-a2440225f93a \
    4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38 1f676c76-80e1-4239-95bb-83d0f6d0da78 \
    8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a; do
    grep -qF "$expected" <<<"$manifest" || fail "$program: the manifest lacks $expected"
  done
  grep -q 'Common-Controls' <<<"$manifest" && fail "$program: the manifest asks for common controls 6"
done
manifest_of "$BUILD_DIR/tests/os_version_plain.exe" | grep -q . &&
  fail "os_version_plain.exe has a manifest"

told() { wine "$BUILD_DIR/tests/$1.exe" </dev/null 2>/dev/null | tr -d '\r' | cut -d' ' -f1; }
while read -r mode with without; do
  wine reg add 'HKCU\Software\Wine' /v Version /d "$mode" /f >/dev/null 2>&1 ||
    fail "could not set the Windows version $mode"
  expect_eq "$with" "$(told os_version_manifest)" "$mode, with the manifest"
  expect_eq "$without" "$(told os_version_plain)" "$mode, without the manifest"
done <<'MODES'
win10 10.0 6.2
win81 6.3 6.2
win7 6.1 6.1
MODES
pass
