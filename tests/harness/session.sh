# Sourced by the test harness, the demo and the benchmark: a display and a
# Wine session of their own, and their orderly end.
#   start_display     Xvfb on a free display, unless DISPLAY is set already
#   start_wine        a fresh prefix (make-prefix.sh), one persistent
#                     wineserver, the desktop and services started up front
#   stop_session      ends the wineserver and the Xvfb that were started
# BUILD_DIR must be set (the prefix lives below it unless WINEPREFIX is set).
SESSION_HARNESS="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
SESSION_XVFB_PID=""

start_display() {
  [ -n "${DISPLAY:-}" ] && return 0
  local n=90
  while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
  Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
  SESSION_XVFB_PID=$!
  export DISPLAY=":$n"
  for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
  [ -e "/tmp/.X11-unix/X$n" ]
}

start_wine() {
  . "$SESSION_HARNESS/wine-env.sh"
  "$SESSION_HARNESS/make-prefix.sh" || return 1
  wineserver -p
  # The desktop and the services start now, outside any program's output.
  wine cmd /c exit >/dev/null 2>&1 </dev/null
}

stop_session() {
  [ -n "${WINEPREFIX:-}" ] && wineserver -k >/dev/null 2>&1
  if [ -n "$SESSION_XVFB_PID" ]; then
    kill "$SESSION_XVFB_PID" >/dev/null 2>&1
    wait "$SESSION_XVFB_PID" 2>/dev/null
  fi
  SESSION_XVFB_PID=""
  return 0
}
