#!/usr/bin/env bash
# Runs the whole test suite: a display (Xvfb, unless one is there), a fresh
# Wine prefix under the build tree, one persistent wineserver, then ctest.
# Everything it started is stopped on the way out, also after a failure or a
# hang (every test has a time limit). ctest's summary is the last output.
set -u
BUILD_DIR="$(cd "${1:?build directory}" && pwd)"
shift
export BUILD_DIR
here="$(cd "$(dirname "$0")" && pwd)"
xvfb_pid=""

cleanup() {
  wineserver -k >/dev/null 2>&1 || true
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" >/dev/null 2>&1; wait "$xvfb_pid" 2>/dev/null; fi
}
trap cleanup EXIT
trap 'exit 130' INT TERM

if [ -z "${DISPLAY:-}" ]; then
  n=90
  while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
  Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb_pid=$!
  export DISPLAY=":$n"
  for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
fi

. "$here/wine-env.sh"
echo "Preparing the Wine prefix $WINEPREFIX on display $DISPLAY"
"$here/make-prefix.sh" || { echo "could not make the Wine prefix"; exit 1; }
wineserver -p
# Start the desktop and the services now, outside any test's output.
wine cmd /c exit >/dev/null 2>&1 </dev/null
mkdir -p "$BUILD_DIR/screens"
ctest --test-dir "$BUILD_DIR" --output-on-failure "$@"
