#!/usr/bin/env bash
# Runs the whole test suite: first the host sanitizer build's unit tests and
# short fuzz runs (HOST_TEST_DIR, when that build is there), then a display (Xvfb, unless one
# is there), a fresh Wine prefix under the build tree, one persistent
# wineserver, and the cross build's tests under Wine. Everything it started is
# stopped on the way out, also after a failure or a hang (every test has a
# time limit). The exit status is nonzero when any test failed.
set -u
BUILD_DIR="$(cd "${1:?build directory}" && pwd)"
shift
export BUILD_DIR
. "$(cd "$(dirname "$0")" && pwd)/session.sh"
trap stop_session EXIT
trap 'exit 130' INT TERM

host_status=0
HOST_TEST_DIR="${HOST_TEST_DIR:-$BUILD_DIR/host-asan}"
if [ -f "$HOST_TEST_DIR/CTestTestfile.cmake" ]; then
  echo "Host tests (sanitizer build)"
  ctest --test-dir "$HOST_TEST_DIR" --output-on-failure "$@" || host_status=1
fi

start_display || { echo "could not start Xvfb"; exit 1; }
. "$SESSION_HARNESS/wine-env.sh"
echo "Preparing the Wine prefix $WINEPREFIX on display $DISPLAY"
start_wine || { echo "could not make the Wine prefix"; exit 1; }
mkdir -p "$BUILD_DIR/screens"
ctest --test-dir "$BUILD_DIR" --output-on-failure "$@"
wine_status=$?
[ $host_status -eq 0 ] || echo "host tests failed"
[ $host_status -eq 0 ] && [ $wine_status -eq 0 ]
