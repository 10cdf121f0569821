#!/usr/bin/env bash
# UNINST.EXE with no log, with a file that is no log, cancelled with Cancel
# and with Esc (nothing removed), and with a damaged log: what its complete
# lines name goes, the rest stays, and nothing the log does not name is
# touched.
. "$SOURCE_DIR/tests/e2e/lib.sh"
. "$SOURCE_DIR/tests/e2e/uninstall.sh"
e2e_init uninstall_logs
trap 'kill_uninst' EXIT

# product DIR: UNINST.EXE and three files in DIR.
product() {
  mkdir -p "$1/sub"
  cp "$BUILD_DIR/UNINST.EXE" "$1/UNINST.EXE"
  for name in a.txt b.txt sub/c.txt; do printf '%s\n' "$name" >"$1/$name"; done
}

# log DIR: a complete log naming DIR's files and DIR.
log() {
  local w
  w="$(winpath "$1")"
  printf '*** Installation Started 05/03/01 09:07 ***\r\nTitle: Log Test\r\nSource: A:\\\r\n'
  printf 'Made Dir: %s\r\nMade Dir: %s\\sub\r\n' "$w" "$w"
  printf 'File Copy: %s\\a.txt\r\nFile Copy: %s\\b.txt\r\nFile Copy: %s\\sub\\c.txt\r\n' "$w" "$w" "$w"
}

# untouched DIR: every file of product DIR and the log are still there.
untouched() {
  for name in UNINST.EXE install.log a.txt b.txt sub/c.txt; do expect_file "$1/$name"; done
}

# 1. No log: a message, nothing removed, no report.
dir="$CASE/nolog"
product "$dir"
start_uninst "$dir"
ui wait-msgbox Uninstall 20000 -- click 1
wait_uninst 30
for name in UNINST.EXE a.txt b.txt sub/c.txt; do expect_file "$dir/$name"; done
expect_no_file "$(uninstall_log)"

# 2. A file that is no log.
dir="$CASE/notlog"
product "$dir"
printf 'File Copy: %s\\a.txt\r\n' "$(winpath "$dir")" >"$dir/install.log"
start_uninst "$dir"
ui wait-msgbox Uninstall 20000 -- click 1
wait_uninst 30
untouched "$dir"

# 3. and 4. Cancel, then Esc, on the confirmation page.
for how in "click 2" "key esc"; do
  dir="$CASE/cancel"
  rm -rf "$dir"
  product "$dir"
  log "$dir" >"$dir/install.log"
  start_uninst "$dir"
  ui wait-background 20000 -- wait-page welcome 20000 -- $how -- wait-gone welcome
  wait_uninst 30
  untouched "$dir"
  expect_no_file "$(uninstall_log)"
done

# 5. A damaged log: a registry group without its root, a garbled line, a
#    file outside the install directory, and a last line cut short.
dir="$CASE/damaged"
product "$dir"
printf 'mine\n' >"$dir/sub/added.txt"
printf 'cut\n' >"$dir/b.tx"
printf 'outside\n' >"$CASE/outside.txt"
wine reg add 'HKCU\Software\UninstDamaged' /v v /d x /f >/dev/null 2>&1
w="$(winpath "$dir")"
{
  log "$dir" | grep -v 'b\.txt'
  printf 'RegDB Key: Software\\UninstDamaged\r\nRegDB Val: x\r\nRegDB Name: v\r\n'
  printf 'File C\001py: %s\\sub\\added.txt\r\n' "$w"
  printf 'File Copy: %s\r\n' "$(winpath "$CASE/outside.txt")"
  printf 'File Copy: %s\\b.tx' "$w"
} >"$dir/install.log"
start_uninst "$dir"
# Without an install record the confirmation says that files cannot be
# checked for changes.
ui wait-background 20000 -- wait-page welcome 20000 -- expect-text 11 "Remove Log Test?

This installation has no install record, so its files cannot be checked for changes: every file its log names in the install directory goes."
confirm_uninst_files 6
wait_uninst 30
report="$(uninstall_report)"
for name in a.txt sub/c.txt UNINST.EXE install.log; do expect_no_file "$dir/$name"; done
for name in b.txt b.tx sub/added.txt; do expect_file "$dir/$name"; done
expect_file "$CASE/outside.txt"
expect_eq "x" "$(reg_value 'HKCU\Software\UninstDamaged' v)" "value of an incomplete group"
grep -q "outside.txt: outside the install directory" <<<"$report" || fail "report: $report"
grep -q "sub: not empty" <<<"$report" || fail "report: $report"
wine reg delete 'HKCU\Software\UninstDamaged' /f >/dev/null 2>&1

# 6. A whole log naming a registry value, answered No: the log alone decides
#    no setting, and every file stays.
dir="$CASE/declined"
product "$dir"
wine reg add 'HKCU\Software\UninstDeclined' /v v /d x /f >/dev/null 2>&1
{
  log "$dir"
  printf 'RegDB Key: Software\\UninstDeclined\r\nRegDB Val: x\r\nRegDB Name: v\r\nRegDB Root: 1\r\n'
} >"$dir/install.log"
start_uninst "$dir"
confirm_uninst_files 7
wait_uninst 30
report="$(uninstall_report)"
for name in a.txt b.txt sub/c.txt; do expect_file "$dir/$name"; done
expect_eq "x" "$(reg_value 'HKCU\Software\UninstDeclined' v)" "declined: the value the log names"
grep -qF "a.txt: kept, as asked" <<<"$report" || fail "declined: report: $report"
grep -qF "UninstDeclined] \"v\": named only by a log" <<<"$report" || fail "declined: report: $report"
wine reg delete 'HKCU\Software\UninstDeclined' /f >/dev/null 2>&1
pass
