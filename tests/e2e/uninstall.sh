# Helpers of the uninstall tests; source after lib.sh.
#   start_uninst DIR [RECORD]   UNINST.EXE from DIR (given the record's name), in
#                               the background
#   wait_uninst [seconds]       until the uninstaller and its copy have ended
#   confirm_uninst              Remove on the confirmation page, OK on the
#                               closing message box
#   confirm_uninst_files 6|7    the same where there is no trusted record: Yes
#                               (6) or No (7) when asked before files go
#   uninstall_report            the report the last run wrote
UNINST_PID=""

uninstall_log() { echo "$(temp_dir)/uninstall.log"; }

start_uninst() {
  rm -f "$(uninstall_log)"
  (cd "$1" && exec wine "$1/UNINST.EXE" ${2:+"$2"}) >>"$CASE/uninst-output.txt" 2>&1 </dev/null &
  UNINST_PID=$!
}

# The remover runs as ~uninst<pid>.exe from the temporary directory; only
# the processes of this run's prefix count.
_remover_running() {
  local pid
  for pid in $(pgrep -f 'uninst[0-9]+\.exe' 2>/dev/null); do
    tr '\0' '\n' 2>/dev/null <"/proc/$pid/environ" | grep -qxF "WINEPREFIX=$WINEPREFIX" && return 0
  done
  return 1
}

wait_uninst() {
  local limit="${1:-60}" waited=0
  while { [ -n "$UNINST_PID" ] && kill -0 "$UNINST_PID" 2>/dev/null; } || _remover_running; do
    [ "$waited" -ge $((limit * 10)) ] && fail "the uninstaller still runs after ${limit}s"
    sleep 0.1
    waited=$((waited + 1))
  done
  [ -n "$UNINST_PID" ] && wait "$UNINST_PID" 2>/dev/null
  UNINST_PID=""
}

# A remover left by a failed test ends with the harness's wineserver.
kill_uninst() {
  [ -n "$UNINST_PID" ] && kill "$UNINST_PID" 2>/dev/null
  UNINST_PID=""
}

confirm_uninst() {
  ui wait-background 20000 -- wait-page welcome 20000 -- expect-text 1 Remove -- click 1 \
    -- wait-msgbox Uninstall 60000 -- click 1
}

confirm_uninst_files() {
  ui wait-background 20000 -- wait-page welcome 20000 -- expect-text 1 Remove -- click 1 \
    -- wait-msgbox Uninstall 60000 -- expect-text 65535 "No install record that the product's registry key vouches for is there, only what anyone who can write to the install directory could have written.

Remove the files it names in the install directory? Choose No to keep every file." -- click "$1"
  ui wait-msgbox Uninstall 60000 -- expect-text 1 OK -- click 1
}

uninstall_report() { tr -d '\r' <"$(uninstall_log)"; }

