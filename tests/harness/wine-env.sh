# Sourced by the harness and the end-to-end scripts: the Wine environment of
# one test run. BUILD_DIR must be set.
# WINE_ARCH is win32, or win64 on a machine that cannot run 32-bit code
# (scripts/wine-arch.sh tells); there the programs under test are the x86_64
# build and `wine` is the 64-bit loader.
export WINE_ARCH="${WINE_ARCH:-$("$(dirname "${BASH_SOURCE[0]}")/../../scripts/wine-arch.sh")}"
export WINEPREFIX="${WINEPREFIX:-$BUILD_DIR/wineprefix}"
export WINEARCH="$WINE_ARCH"
if [ "$WINE_ARCH" = win64 ]; then
  case ":$PATH:" in
    *":$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/win64-bin:"*) ;;
    *) export PATH="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/win64-bin:$PATH" ;;
  esac
  export WINELOADER=/usr/lib/wine/wine64
fi
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="mscoree,mshtml="
# The prefix's C: drive as a Linux path.
DRIVE_C="$WINEPREFIX/drive_c"
