# Sourced by the harness and the end-to-end scripts: the Wine environment of
# one test run. BUILD_DIR must be set.
export WINEPREFIX="${WINEPREFIX:-$BUILD_DIR/wineprefix}"
export WINEARCH=win32
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="mscoree,mshtml="
# The prefix's C: drive as a Linux path.
DRIVE_C="$WINEPREFIX/drive_c"
