#!/usr/bin/env bash
# The Windows 95 family's way of placing files, under Wine set to Windows 98
# for the programs concerned only (AppDefaults). Wine still implements
# MoveFileExA there, so the relay trace shows which way was taken: no
# MoveFileExA, no file opened with FILE_SHARE_DELETE or DELETE access, and
# replaced files renamed aside with MoveFileA.
# 1. The file-operation unit tests, every whole-or-nothing case, on that path.
# 2. SETUP.EXE installs over an earlier installation (files and install.log
#    replaced) and leaves no staged or set-aside file behind; a file that
#    already holds what [Check1] gives is left alone, and logged. install.log
#    is renamed into place (one drive), not copied. Files named like
#    set-aside ones but someone else's (in the temporary and the install
#    directory, outside a staging directory) are not touched.
. "$SOURCE_DIR/tests/e2e/lib.sh"
e2e_init win95_family_files

debug_key='HKCU\Software\Wine\Debug'
apps=(test_fileops.exe SETUP.EXE)
functions="MoveFileExA MoveFileA CreateFileA DeleteFileA CopyFileA"
include="$(for f in $functions; do printf 'KERNEL32.%s;KERNELBASE.%s;' "$f" "$f"; done)"
restore() {
  kill_setup
  for app in "${apps[@]}"; do
    wine reg delete "HKCU\\Software\\Wine\\AppDefaults\\$app" /f >/dev/null 2>&1
  done
  wine reg delete "$debug_key" /v RelayInclude /f >/dev/null 2>&1
}
trap restore EXIT
for app in "${apps[@]}"; do
  wine reg add "HKCU\\Software\\Wine\\AppDefaults\\$app" /v Version /t REG_SZ /d win98 /f \
    >/dev/null 2>&1 || fail "could not set the Windows version of $app"
done
wine reg add "$debug_key" /v RelayInclude /t REG_SZ /d "$include" /f >/dev/null 2>&1 ||
  fail "could not limit the relay trace"

# check_trace NAME TRACE: the 95 family's way, and that it was traced at all.
check_trace() {
  local name="$1" trace="$2" bad
  grep -q 'Call KERNEL32.CreateFileA' "$trace" || fail "$name: no CreateFileA traced"
  ! grep -q 'Call KERNEL32.MoveFileExA' "$trace" || fail "$name: MoveFileExA called"
  grep -q 'Call KERNEL32.MoveFileA(.*\.~o00' "$trace" || fail "$name: no file renamed aside"
  # CreateFileA(name, access, share, ...): no DELETE (0x10000) access, no
  # FILE_SHARE_DELETE (4).
  bad="$(grep -o 'Call KERNEL32.CreateFileA([^)]*)' "$trace" | python3 -c '
import sys
for line in sys.stdin:
    fields = line.rstrip().split(",")
    access, share = int(fields[-6], 16), int(fields[-5], 16)
    if access & 0x10000 or share & 4:
        print(line.rstrip())')"
  [ -z "$bad" ] || fail "$name: opened for deletion or shared for it: $(echo "$bad" | head -n 3)"
}

# Part 1: the unit tests of the file operations.
trace="$CASE/fileops-relay.txt"
(cd "$CASE" && TEST_DATA_DIR="$SOURCE_DIR/tests/data" WINEDEBUG=+relay \
  wine "$BUILD_DIR/tests/test_fileops.exe" >"$CASE/fileops.txt" 2>"$trace" </dev/null) ||
  { tr -d '\r' <"$CASE/fileops.txt" | grep -E 'FAILED|Failure' -A4 | head -n 40; fail "file-operation tests failed on the 95 family's path"; }
grep -q 'PASSED' "$CASE/fileops.txt" || fail "file-operation tests did not run"
check_trace "unit tests" "$trace"

# Part 2: SETUP.EXE over an installation.
disk="$CASE/disk" inst="$CASE/inst" data="$CASE/data"
make_disk "$disk"
touch "$disk/Disk1"
mkdir -p "$data" "$inst"
for name in one two; do
  for i in 1 2 3 4 5 6; do echo "$name line $i, the new $name"; done >"$data/$name.txt"
  compress "$data/$name.txt" "$disk/${name^^}.TX_"
  echo "old $name" >"$inst/$name.txt"
done
echo "an older log" >"$inst/install.log"
tmp="$(temp_dir)"
mkdir -p "$tmp"
rm -f "$tmp/stranger.txt"
for dir in "$tmp" "$inst"; do echo "a stranger's" >"$dir/stranger.txt.~o01"; done
trap 'restore; rm -f "$tmp/stranger.txt.~o01" "$tmp/stranger.txt"' EXIT
echo "three, in place already" >"$data/three.txt"
compress "$data/three.txt" "$disk/THREE.TX_"
cp "$data/three.txt" "$inst/three.txt"
touch -d '2001-02-03 04:05:06' "$inst/three.txt"
check_of() { python3 -c 'import sys, zlib; d = open(sys.argv[1], "rb").read(); print("%d,%08x" % (len(d), zlib.crc32(d)))' "$1"; }
write_script "$disk" <<INF
[Title]
DlgTitle=Family Test
[Disk1]
NumberFiles=3
file1=3,ONE.TX_,one.txt
file2=3,TWO.TX_,two.txt
file3=3,THREE.TX_,three.txt
[Check1]
file1=$(check_of "$data/one.txt")
file3=$(check_of "$data/three.txt")
INF
trace="$CASE/setup-relay.txt"
SETUP_STATUS=""
(cd "$disk" && WINEDEBUG=+relay exec wine "$disk/SETUP.EXE") >/dev/null 2>"$trace" </dev/null &
SETUP_PID=$!
walk_pages -d "$inst" -t 20000 -g cancel
wait_setup 60
for name in one two; do
  cmp -s "$data/$name.txt" "$inst/$name.txt" || fail "$name.txt was not replaced"
done
log_has "$inst" "File Copy: .*two.txt" || fail "install.log was not replaced"
log_has "$inst" "File Copy: .*three.txt" || fail "the file in place was not logged"
expect_eq "2001-02-03 04:05:06" "$(date -r "$inst/three.txt" '+%F %T')" "three.txt, in place, was written"
! grep -qiE 'Call KERNEL32.(MoveFileA|CreateFileA)\(.*three.txt[^"]*\.~' "$trace" ||
  fail "three.txt, in place, was staged or set aside"
for dir in "$tmp" "$inst"; do
  expect_eq "a stranger's" "$(cat "$dir/stranger.txt.~o01" 2>/dev/null)" "$dir: a stranger's set-aside name"
  expect_no_file "$dir/stranger.txt"
done
rm -f "$inst/stranger.txt.~o01"
leftovers="$(find "$inst" -name '*.~*')"
[ -z "$leftovers" ] || fail "left behind: $leftovers"
check_trace SETUP.EXE "$trace"
grep -q 'Call KERNEL32.MoveFileA(.*install.log' "$trace" || fail "the log was not moved with MoveFileA"
! grep -q 'Call KERNEL32.CopyFileA(.*install.log' "$trace" || fail "the log was copied on one drive"
pass
