#!/usr/bin/env bash
# Faults during the group step: a hung top-level window does not hold the
# DDE initiate broadcast, and a shell server killed mid-conversation ends
# the wait at once. Either way the run ends through the cleanup, log moved.
. "$SOURCE_DIR/tests/e2e/lib.sh"
. "$SOURCE_DIR/tools/shelldde/server.sh"
e2e_init fault_group
HANG_PID=""
trap 'stop_shelldde; [ -n "$HANG_PID" ] && kill "$HANG_PID" 2>/dev/null; kill_setup' EXIT

product() {
  make_disk "$1"; touch "$1/Disk1"
  printf 'the program\n' >"$CASE/app.txt"
  compress "$CASE/app.txt" "$1/APP.TX_"
  write_script "$1" <<EOF
[Title]
DlgTitle=Group Faults
[Disk1]
NumberFiles=1
file1=3,APP.TX_,app.txt
[WinGroup]
GroupTitle=$2
NumberItem=1
item1=app.txt,App
EOF
}

run() {
  start_setup "$1"
  walk_pages -d "$2" -g next
}

# 1. A window that handles no message, beside a working server: the group is
# made and the run ends well within the hung window's time.
disk="$CASE/hung/disk"; inst="$CASE/hung/inst"
product "$disk" "Hung Window"
start_shelldde "$CASE/hung/server.log" || fail "server did not start"
wine "$BUILD_DIR/tests/uidriver.exe" hang 60000 >"$CASE/hang.txt" 2>&1 </dev/null &
HANG_PID=$!
for _ in $(seq 100); do grep -q hung "$CASE/hang.txt" && break; sleep 0.1; done
sleep 6  # the platform counts a window as hung after five seconds without messages
began=$SECONDS
run "$disk" "$inst"
wait_setup 60
took=$((SECONDS - began))
expect_eq 1 "$SETUP_STATUS" "exit status beside a hung window"
[ "$took" -lt 40 ] || fail "the run took ${took}s beside a hung window"
grep -q 'CreateGroup("Hung Window")' "$CASE/hung/server.log" || fail "the server got no commands"
expect_file "$inst/install.log"
kill "$HANG_PID" 2>/dev/null; wait "$HANG_PID" 2>/dev/null; HANG_PID=""
stop_shelldde

# 2. A server that never acknowledges the commands, killed while the run
# waits for it: the run ends soon after, through the cleanup.
disk="$CASE/killed/disk"; inst="$CASE/killed/inst"
product "$disk" "Killed Server"
start_shelldde "$CASE/killed/server.log" /silent || fail "server did not start"
run "$disk" "$inst"
sleep 1
kill -9 "$SHELLDDE_PID"
began=$SECONDS
wait_setup 60
took=$((SECONDS - began))
expect_eq 1 "$SETUP_STATUS" "exit status after the server was killed"
[ "$took" -lt 20 ] || fail "the run waited ${took}s for a server that is gone"
expect_file "$inst/install.log"
expect_no_file "$(temp_dir)/install.log"
stop_shelldde

pass
