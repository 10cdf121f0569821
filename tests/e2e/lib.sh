# Helpers of the end-to-end scripts. Source it first:
#   . "$SOURCE_DIR/tests/e2e/lib.sh"
# BUILD_DIR and SOURCE_DIR come from ctest; the harness has started the
# display, the prefix and the wineserver.
set -u
: "${BUILD_DIR:?}"
SOURCE_DIR="${SOURCE_DIR:-$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)}"
. "$SOURCE_DIR/tests/harness/wine-env.sh"

E2E_NAME=""
CASE=""
SETUP_PID=""
SETUP_STATUS=""

fail() {
  echo "FAIL ${E2E_NAME:-e2e}: $*" >&2
  exit 1
}

pass() {
  echo "PASS $E2E_NAME"
  exit 0
}

expect_eq() {
  [ "$1" = "$2" ] || fail "$3: expected [$1], got [$2]"
}

expect_file() { [ -e "$1" ] || fail "missing file $1"; }
expect_no_file() { [ ! -e "$1" ] || fail "file should not exist: $1"; }

# Kills a SETUP.EXE that a failed test left running.
kill_setup() {
  if [ -n "$SETUP_PID" ] && kill -0 "$SETUP_PID" 2>/dev/null; then
    kill "$SETUP_PID" 2>/dev/null
    sleep 0.5
    kill -9 "$SETUP_PID" 2>/dev/null
    wait "$SETUP_PID" 2>/dev/null
  fi
  SETUP_PID=""
}

e2e_init() {
  E2E_NAME="$1"
  CASE="$DRIVE_C/e2e/$E2E_NAME"
  rm -rf "$CASE"
  mkdir -p "$CASE" "$BUILD_DIR/screens"
  trap kill_setup EXIT
}

# The user's directory in the prefix: Wine names it after the Unix user.
_wine_user_dir() {
  local user="${USER:-$(id -un)}"
  if [ -d "$DRIVE_C/users/$user" ]; then
    echo "$DRIVE_C/users/$user"
  else
    echo "$DRIVE_C/users/$(ls "$DRIVE_C/users" | grep -v -x -e Public -e '' | head -n 1)"
  fi
}

temp_dir() { echo "$(_wine_user_dir)/Temp"; }
windows_dir() { echo "$DRIVE_C/windows"; }
system_dir() { echo "$DRIVE_C/windows/system32"; }

# A Linux path as Windows sees it: C:\... inside the prefix's C:, Z:\... else.
winpath() {
  local path="$1" rest
  case "$path" in
    "$DRIVE_C") echo 'C:\'; return ;;
    "$DRIVE_C"/*) rest="${path#"$DRIVE_C"/}"; printf 'C:\\%s\n' "${rest//\//\\}" ;;
    *) rest="${path#/}"; printf 'Z:\\%s\n' "${rest//\//\\}" ;;
  esac
}

make_disk() {
  mkdir -p "$1"
  cp "$BUILD_DIR/SETUP.EXE" "$1/SETUP.EXE"
}

# compress SRC DEST: LZ-compressed copy of SRC, checked by expanding it again.
compress() {
  "$SOURCE_DIR/tests/harness/lz-compress.sh" "$1" "$2" || fail "could not compress $1"
}

# write_script DIR <<EOF ... EOF: setup.inf.txt and its compressed setup.in_.
write_script() {
  mkdir -p "$1"
  cat >"$1/setup.inf.txt"
  compress "$1/setup.inf.txt" "$1/setup.in_"
}

# start_setup DIR: SETUP.EXE from DIR, in the background. Its output goes to
# a file: Wine's helper processes inherit it and would keep ctest waiting.
start_setup() {
  local dir="$1"
  [ -n "$CASE" ] || fail "e2e_init not called"
  SETUP_STATUS=""
  (cd "$dir" && exec wine "$dir/SETUP.EXE") >>"$CASE/setup-output.txt" 2>&1 </dev/null &
  SETUP_PID=$!
}

# wait_setup [seconds]: waits for SETUP.EXE to end; $SETUP_STATUS is its exit
# status. A run still going after the time limit is killed and fails the test.
wait_setup() {
  local limit="${1:-60}" waited=0
  [ -n "$SETUP_PID" ] || fail "no SETUP.EXE started"
  while kill -0 "$SETUP_PID" 2>/dev/null; do
    if [ "$waited" -ge $((limit * 10)) ]; then
      kill_setup
      fail "SETUP.EXE still running after ${limit}s"
    fi
    sleep 0.1
    waited=$((waited + 1))
  done
  wait "$SETUP_PID"
  SETUP_STATUS=$?
  SETUP_PID=""
}

# ui STEP... [-- STEP...]: runs the UI driver; a failing step fails the test.
ui() {
  local out err rc
  out="$(mktemp)"
  err="$(mktemp)"
  wine "$BUILD_DIR/tests/uidriver.exe" "$@" >"$out" 2>"$err" </dev/null
  rc=$?
  # Wine's console output may have CR LF line ends.
  tr -d '\r' <"$out"
  tr -d '\r' <"$err" >&2
  rm -f "$out" "$err"
  [ "$rc" -eq 0 ] || fail "UI driver failed (status $rc): $*"
}

# shot NAME: the virtual desktop as $BUILD_DIR/screens/NAME.png.
shot() {
  mkdir -p "$BUILD_DIR/screens"
  # Only the virtual desktop (1024x768 at the top left of the X screen).
  import -window root -display "$DISPLAY" -crop 1024x768+0+0 +repage "$BUILD_DIR/screens/$1.png" ||
    fail "screenshot $1 failed"
}
