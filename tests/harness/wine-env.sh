# Sourced by the harness and the end-to-end scripts: the Wine environment of
# one test run. BUILD_DIR must be set.
export WINEPREFIX="${WINEPREFIX:-$BUILD_DIR/wineprefix}"
export WINEARCH=win32
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="mscoree,mshtml="
# The prefix's C: drive and the user's temporary directory as Linux paths.
DRIVE_C="$WINEPREFIX/drive_c"
wine_user() { ls "$DRIVE_C/users" | grep -v -x -e Public -e root -e '' | head -n 1; }
