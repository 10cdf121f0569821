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

# walk_pages [-f PAGE] [-d DIR] [-s STOP] [-t MS] [-g ACTION] [-p SHOT] [-- STEP...]
# A user's way through SETUP.EXE's pages: Next on the welcome page; DIR (a
# Linux path) typed on the directory page, Next; the group page within MS ms
# (default 30000). One UI driver run unless -p; the STEPs end the last run.
#   -f PAGE    start on PAGE (directory or group), already shown
#   -s STOP    stop at welcome, directory, next (right after Next on the
#              directory page) or progress (the progress dialog, within MS)
#   -g ACTION  on the group page: next (Next, then the wait dialog), cancel
#              (Cancel, the page gone), or a group's NAME double-clicked, Next
#   -p SHOT    screenshots SHOT-welcome, -directory, -group or -progress, -wait
walk_pages() {
  local from=start dir="" stop=group ms=30000 group="" prefix="" opt OPTIND=1
  local steps=() pending=0 next
  while getopts f:d:s:t:g:p: opt; do
    case "$opt" in
      f) from="$OPTARG" ;;
      d) dir="$OPTARG" ;;
      s) stop="$OPTARG" ;;
      t) ms="$OPTARG" ;;
      g) group="$OPTARG" ;;
      p) prefix="$OPTARG" ;;
      *) fail "walk_pages: unknown option" ;;
    esac
  done
  shift $((OPTIND - 1))
  case "$from" in
    start) _walk wait-background 20000 -- wait-page welcome 20000; _walk_at welcome ;;
    directory | group) _walk wait-page "$from" ;;
    *) fail "walk_pages: cannot start from $from" ;;
  esac
  if [ "$from" = start ] && [ "$stop" != welcome ]; then
    _walk click 1 -- wait-page directory
  fi
  if [ "$from" != group ] && [ "$stop" != welcome ]; then
    [ -n "$dir" ] && _walk type 11 "$(winpath "$dir")"
    _walk_at directory
    if [ "$stop" != directory ]; then
      _walk click 1
      if [ "$stop" != next ]; then
        next=group
        [ "$stop" = progress ] && next=progress
        _walk wait-gone directory -- wait-page "$next" "$ms"
        _walk_at "$next"
      fi
    fi
  fi
  if [ "$stop" = group ]; then
    [ "$from" = group ] && _walk_at group
    case "$group" in
      "") ;;
      next) _walk click 1 -- wait-page wait 10000; _walk_at wait ;;
      cancel) _walk click 2 -- wait-gone group ;;
      *) _walk dblclick 13 "$group" -- wait-text 11 "$group" -- click 1 -- wait-page wait 10000; _walk_at wait ;;
    esac
  fi
  [ $# -gt 0 ] && _walk "$@"
  [ "$pending" = 0 ] || ui "${steps[@]}"
}

# _walk STEP...: more steps for the run walk_pages builds.
_walk() {
  [ "${#steps[@]}" -gt 0 ] && steps+=(--)
  steps+=("$@")
  pending=1
}

# _walk_at PAGE: the walk has reached PAGE; with a screenshot, the run so far
# goes first and the next one begins with PAGE.
_walk_at() {
  [ -n "$prefix" ] || return 0
  [ "$pending" = 0 ] || ui "${steps[@]}"
  shot "$prefix-$1"
  steps=(wait-page "$1")
  pending=0
}

# reg_value KEY NAME: the REG_SZ data of a value (NAME "" for the default
# value), or nothing.
reg_value() {
  local name=("/v" "$2")
  [ "$2" = "" ] && name=("/ve")
  wine reg query "$1" "${name[@]}" 2>/dev/null | tr -d '\r' |
    sed -n 's/^ *\([^ ].*\)\?  *REG_SZ  *//p; s/^ *\([^ ].*\)\?  *REG_SZ$//p' | head -n 1
}

reg_key_exists() { wine reg query "$1" >/dev/null 2>&1; }

# log_lines DIR [ERE]: the lines of DIR/install.log without CR, or those that
# match ERE.
log_lines() {
  if [ $# -gt 1 ]; then
    tr -d '\r' <"$1/install.log" | grep -E -- "$2"
  else
    tr -d '\r' <"$1/install.log"
  fi
}

# log_count DIR ERE: how many lines of DIR/install.log match ERE.
log_count() { log_lines "$1" | grep -cE -- "$2"; }

# log_has DIR ERE: a line of DIR/install.log matches ERE.
log_has() { log_lines "$1" | grep -qE -- "$2"; }

# expect_log_line DIR LINE WHAT: DIR/install.log holds LINE, whole.
expect_log_line() {
  log_lines "$1" | grep -qxF -- "$2" || fail "$3: install.log lacks [$2]"
}

# expect_log_lines DIR ERE EXPECTED WHAT: the lines that match ERE are EXPECTED.
expect_log_lines() { expect_eq "$3" "$(log_lines "$1" "$2")" "$4"; }

# expect_log_head DIR TITLE SOURCE MINUTES: DIR/install.log's header, its start
# time one of MINUTES ("dd/mm/yy HH:MM|..."), the title and source lines, and
# CR LF at every line end, the last one included.
expect_log_head() {
  local log="$1/install.log" header
  expect_file "$log"
  [ "$(grep -c $'\r$' "$log")" = "$(wc -l <"$log")" ] || fail "$log: a line does not end with CR LF"
  grep -q $'\r\r' "$log" && fail "$log: doubled CR"
  [ "$(tail -c 2 "$log" | od -An -tx1 | tr -d ' ')" = "0d0a" ] || fail "$log: no CR LF at the end"
  header="$(sed -n 1p "$log" | tr -d '\r')"
  [[ "$header" =~ ^\*\*\*\ Installation\ Started\ ([0-9]{2}/[0-9]{2}/[0-9]{2}\ [0-9]{2}:[0-9]{2})\ \*\*\*$ ]] ||
    fail "$log: header line: [$header]"
  [[ "|$4|" == *"|${BASH_REMATCH[1]}|"* ]] || fail "$log: start time ${BASH_REMATCH[1]}, run started $4"
  expect_eq "Title: $2" "$(sed -n 2p "$log" | tr -d '\r')" "$log: title line"
  expect_eq "Source: $3" "$(sed -n 3p "$log" | tr -d '\r')" "$log: source line"
}
