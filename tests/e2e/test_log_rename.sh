#!/usr/bin/env bash
# install.log is written in the temporary directory and, at the end, renamed
# into the install directory when both are on one drive; only across drives
# is it copied (beside the older log, then renamed over it). The relay trace
# of SETUP.EXE shows which way was taken.
#   same-drive   C:, as the temporary directory: MoveFileExA from the
#                temporary log, no CopyFileA, the older log replaced
#   other-drive  Z: (the Linux root): CopyFileA, and the log arrives whole
. "$SOURCE_DIR/tests/e2e/lib.sh"
e2e_init log_rename

debug_key='HKCU\Software\Wine\Debug'
functions="MoveFileExA CopyFileA"
include="$(for f in $functions; do printf 'KERNEL32.%s;KERNELBASE.%s;' "$f" "$f"; done)"
other="$BUILD_DIR/log-rename-other-drive"
restore() {
  kill_setup
  wine reg delete "$debug_key" /v RelayInclude /f >/dev/null 2>&1
  rm -rf "$other"
}
trap restore EXIT
wine reg add "$debug_key" /v RelayInclude /t REG_SZ /d "$include" /f >/dev/null 2>&1 ||
  fail "could not limit the relay trace"

disk="$CASE/disk"
make_disk "$disk"
touch "$disk/Disk1"
printf 'the program\n' >"$CASE/app.txt"
compress "$CASE/app.txt" "$disk/APP.TX_"
write_script "$disk" <<'EOF2'
[Title]
DlgTitle=Log Rename
[Disk1]
NumberFiles=1
file1=3,APP.TX_,app.txt
EOF2

for case in same-drive other-drive; do
  inst="$CASE/inst"
  [ "$case" = other-drive ] && inst="$other/inst"
  rm -rf "$inst"
  mkdir -p "$inst"
  echo "an older log" >"$inst/install.log"
  trace="$CASE/$case-relay.txt"
  (cd "$disk" && WINEDEBUG=+relay exec wine "$disk/SETUP.EXE") >/dev/null 2>"$trace" </dev/null &
  SETUP_PID=$!
  walk_pages -d "$inst" -g cancel
  wait_setup 60
  log_has "$inst" "File Copy: .*app.txt" || fail "$case: the log is not the new one"
  expect_no_file "$inst/~install.log"
  copied=no
  grep -qi 'Call KERNEL32.CopyFileA(.*install.log' "$trace" && copied=yes
  if [ "$case" = same-drive ]; then
    expect_eq no "$copied" "$case: the log copied"
    grep -qi 'Call KERNEL32.MoveFileExA(.*Temp\\\\install.log.*inst\\\\install.log' "$trace" ||
      fail "$case: the log was not renamed from the temporary directory"
  else
    expect_eq yes "$copied" "$case: the log copied"
  fi
done
pass
