#!/usr/bin/env bash
# Runs the whole test suite: a display (Xvfb, unless one is there), a fresh
# Wine prefix under the build tree, one persistent wineserver, then ctest.
# Everything it started is stopped on the way out, also after a failure or a
# hang (every test has a time limit). ctest's summary is the last output.
set -u
BUILD_DIR="$(cd "${1:?build directory}" && pwd)"
shift
export BUILD_DIR
. "$(cd "$(dirname "$0")" && pwd)/session.sh"
trap stop_session EXIT
trap 'exit 130' INT TERM

start_display || { echo "could not start Xvfb"; exit 1; }
. "$SESSION_HARNESS/wine-env.sh"
echo "Preparing the Wine prefix $WINEPREFIX on display $DISPLAY"
start_wine || { echo "could not make the Wine prefix"; exit 1; }
mkdir -p "$BUILD_DIR/screens"
ctest --test-dir "$BUILD_DIR" --output-on-failure "$@"
