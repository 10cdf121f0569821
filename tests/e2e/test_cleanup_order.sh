#!/usr/bin/env bash
# The teardown's order, read from Wine's relay trace of SETUP.EXE's own calls:
# the background window is destroyed, then the 3D controls are unregistered,
# and only then is the title font deleted. Two ways out: Cancel on the
# welcome page, and the end of a whole installation.
. "$SOURCE_DIR/tests/e2e/lib.sh"
e2e_init cleanup_order

debug_key='HKCU\Software\Wine\Debug'
include='gdi32.CreateFontA;gdi32.DeleteObject;user32.CreateWindowExA;user32.DestroyWindow;ctl3d32.Ctl3dRegister;ctl3d32.Ctl3dUnregister'
restore() {
  kill_setup
  wine reg delete "$debug_key" /v RelayInclude /f >/dev/null 2>&1
  wine reg delete "$debug_key" /v RelayFromInclude /f >/dev/null 2>&1
}
trap restore EXIT
wine reg add "$debug_key" /v RelayInclude /t REG_SZ /d "$include" /f >/dev/null 2>&1 &&
  wine reg add "$debug_key" /v RelayFromInclude /t REG_SZ /d setup.exe /f >/dev/null 2>&1 ||
  fail "could not limit the relay trace"

# check_order NAME TRACE: in the calls SETUP.EXE made itself, DestroyWindow
# of the background window, then Ctl3dUnregister, then DeleteObject of the
# font CreateFontA returned, each once and in that order.
check_order() {
  local name="$1" trace="$2" verdict
  verdict="$(python3 - "$trace" <<'PY'
import re, sys
lines = open(sys.argv[1], errors="replace").read().splitlines()
def ret(call):
    for line in lines:
        m = re.search(r"Ret  %s\(.*retval=([0-9a-f]+)" % re.escape(call), line)
        if m: return m.group(1)
font = ret("gdi32.CreateFontA")
window = None
for line in lines:
    m = re.search(r"Ret  user32.CreateWindowExA\(.*retval=([0-9a-f]+)", line)
    if m: window = window or m.group(1)
if not font or not window:
    print("no title font or background window in the trace"); sys.exit()
def where(pattern):
    found = [i for i, line in enumerate(lines) if re.search(pattern, line)]
    return found
destroy = where(r"Call user32.DestroyWindow\(0*%s\)" % window.lstrip("0"))
unregister = where(r"Call ctl3d32.Ctl3dUnregister\(")
delete = where(r"Call gdi32.DeleteObject\(0*%s\)" % font.lstrip("0"))
if len(destroy) != 1 or len(unregister) != 1 or len(delete) != 1:
    print("calls: DestroyWindow %d, Ctl3dUnregister %d, DeleteObject of the font %d"
          % (len(destroy), len(unregister), len(delete))); sys.exit()
if not destroy[0] < unregister[0] < delete[0]:
    order = sorted([(destroy[0], "DestroyWindow"), (unregister[0], "Ctl3dUnregister"),
                    (delete[0], "DeleteObject(font)")])
    print("order: " + ", ".join(n for _, n in order)); sys.exit()
print("ok")
PY
)"
  [ "$verdict" = ok ] || fail "$name: $verdict"
}

# run_traced DISK: SETUP.EXE from DISK under the relay trace, in the background.
run_traced() {
  SETUP_STATUS=""
  (cd "$1" && WINEDEBUG=+relay exec wine "$1/SETUP.EXE") >/dev/null 2>"$2" </dev/null &
  SETUP_PID=$!
}

# Cancel on the welcome page.
disk="$CASE/cancel"
make_disk "$disk"
printf '[Title]\nDlgTitle=Order Test\nInstalDir=C:\\OrderTest\nNumberDisk=0\n' | write_script "$disk"
run_traced "$disk" "$CASE/cancel-relay.txt"
walk_pages -s welcome -- click 2 -- wait-gone welcome
wait_setup 60
expect_eq 1 "$SETUP_STATUS" "cancel: exit status"
check_order cancel "$CASE/cancel-relay.txt"

# A whole installation, through the group page.
disk="$CASE/whole" inst="$CASE/inst"
make_disk "$disk"
touch "$disk/Disk1"
echo "order" >"$CASE/one.txt"
compress "$CASE/one.txt" "$disk/ONE.TX_"
write_script "$disk" <<'INF'
[Title]
DlgTitle=Order Test
NumberDisk=1
[Disk1]
NumberFiles=1
file1=3,ONE.TX_,one.txt
INF
run_traced "$disk" "$CASE/whole-relay.txt"
walk_pages -d "$inst" -g next
wait_setup 90
expect_eq 1 "$SETUP_STATUS" "whole installation: exit status"
expect_file "$inst/one.txt"
check_order "whole installation" "$CASE/whole-relay.txt"
pass
