#!/usr/bin/env bash
# The welcome page: its text for short and long titles (cut to the 255
# characters the page text holds), and Cancel and Esc ending the run.
. "$SOURCE_DIR/tests/e2e/lib.sh"
e2e_init welcome
temp="$(temp_dir)"
format='Welcome to %s Setup.\n\nSetup will install the %s files to your system.'

# A title of N characters: "Title" and digits.
title_of() { local t="Title"; while [ ${#t} -lt "$1" ]; do t="$t$(( ${#t} % 10 ))"; done; echo "${t:0:$1}"; }

# The expected text in the UI driver's escapes.
escaped() { local s="${1//\\/\\\\}"; printf '%s' "${s//$'\n'/\\n}"; }

# run_case NAME TITLE: the welcome text for TITLE, then Cancel.
run_case() {
  local disk="$CASE/$1" expected
  make_disk "$disk"
  printf '[Title]\nDlgTitle=%s\nInstalDir=C:\\WelcomeTest\nNumberDisk=0\n' "$2" | write_script "$disk"
  printf -v expected "$format" "$2" "$2"
  expected="${expected:0:255}"
  start_setup "$disk"
  ui wait-background -- wait-page welcome -- expect-text 11 "$(escaped "$expected")"
  shot "$1"
  ui click 2 -- wait-gone welcome
  wait_setup 30
  expect_eq 1 "$SETUP_STATUS" "$1: exit status"
}

run_case welcome-empty ""
run_case welcome-95 "$(title_of 95)"
run_case welcome-99 "$(title_of 99)"
run_case welcome "Welcome Product"
expect_no_file "$temp/install.log"
expect_no_file "$temp/setup.inf"
expect_no_file "$DRIVE_C/WelcomeTest"

# Esc on the page is Cancel; an install.log already in the proposed
# directory stays as it was.
mkdir -p "$DRIVE_C/WelcomeTest"
echo "earlier run" >"$DRIVE_C/WelcomeTest/install.log"
start_setup "$CASE/welcome"
ui wait-page welcome -- key esc -- wait-gone welcome
wait_setup 30
expect_eq 1 "$SETUP_STATUS" "Esc: exit status"
expect_no_file "$temp/install.log"
expect_no_file "$temp/setup.inf"
expect_eq "earlier run" "$(cat "$DRIVE_C/WelcomeTest/install.log")" "Esc: install.log in the proposed directory"
# A step after the page it waited for has gone fails; it never acts on the
# page that came next instead (here the directory page, whose item 15 holds
# the text below).
start_setup "$CASE/welcome"
text='The setup program will install the Welcome Product files to the following directory.'
if wine "$BUILD_DIR/tests/uidriver.exe" wait-page welcome 20000 -- click 1 -- wait-gone welcome \
  -- sleep 1000 -- expect-text 15 "$text" >"$CASE/gone.out" 2>&1 </dev/null; then
  fail "a step read a page it had not waited for"
fi
grep -q 'has gone' "$CASE/gone.out" || fail "step on a gone page: $(tr -d '\r' <"$CASE/gone.out")"
ui wait-page directory -- expect-text 15 "$text" -- click 2 -- wait-gone directory
wait_setup 30
expect_eq 1 "$SETUP_STATUS" "Cancel on the directory page: exit status"
rm -rf "$DRIVE_C/WelcomeTest"
pass
