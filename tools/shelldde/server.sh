# Shell functions to run shelldde.exe beside SETUP.EXE, for the end-to-end
# tests and the demo. Source after the Wine environment is set; BUILD_DIR
# must be set.
#   start_shelldde LOGFILE [OPTION...]   starts a server logging to LOGFILE
#                                        (a Linux path), waits until its
#                                        window is up, sets SHELLDDE_PID
#   stop_shelldde                        ends every server started here
SHELLDDE_PIDS=""
SHELLDDE_PID=""

_shelldde_winpath() {
  winepath -w "$1" 2>/dev/null | tr -d '\r'
}

start_shelldde() {
  local log="$1"
  shift
  : >"$log"
  # The server must have its window before anyone broadcasts.
  local ready="$log.ready" i
  rm -f "$ready"
  wine "$BUILD_DIR/tools/shelldde/shelldde.exe" /log "$(_shelldde_winpath "$log")" \
    /ready "$(_shelldde_winpath "$ready")" /timeout "${SHELLDDE_TIMEOUT:-120}" "$@" \
    >>"$log.out" 2>&1 </dev/null &
  SHELLDDE_PID=$!
  SHELLDDE_PIDS="$SHELLDDE_PIDS $SHELLDDE_PID"
  for i in $(seq 100); do
    [ -e "$ready" ] && return 0
    sleep 0.1
  done
  echo "shelldde did not start" >&2
  return 1
}

stop_shelldde() {
  local pid
  for pid in $SHELLDDE_PIDS; do
    if kill -0 "$pid" 2>/dev/null; then
      kill "$pid" 2>/dev/null
      sleep 0.3
      kill -9 "$pid" 2>/dev/null
    fi
    wait "$pid" 2>/dev/null
  done
  SHELLDDE_PIDS=""
  SHELLDDE_PID=""
}
