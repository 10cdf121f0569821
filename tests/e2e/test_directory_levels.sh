#!/usr/bin/env bash
# Every missing level is made, top first, each with its "Made Dir" line:
#   script     an install directory of three new levels, as the script
#              proposes it; then the uninstaller takes every made level away
#   typed      the same typed on the directory page
# in both, a [SubDir] entry whose parent is not listed and a file whose
# destination directory is in no [SubDir] entry. And one that cannot be made:
#   blocked    a file stands where a level must go: a message naming the
#              folder and the reason, exit status 1, nothing touched
. "$SOURCE_DIR/tests/e2e/lib.sh"
. "$SOURCE_DIR/tests/e2e/uninstall.sh"
e2e_init directory_levels
trap 'kill_setup; kill_uninst' EXIT

disk="$CASE/disk"
make_disk "$disk"
touch "$disk/Disk1"
printf 'the readme\n' >"$CASE/readme.txt"
compress "$CASE/readme.txt" "$disk/README.TX_"
compress "$BUILD_DIR/UNINST.EXE" "$disk/UNINST.EX_"
# product PROPOSED: the script with that InstalDir.
product() {
  write_script "$disk" <<EOF
[Title]
DlgTitle=Levels
InstalDir=$1
[SubDir]
NumberDirs=1
Dir1=help\\en
[Disk1]
NumberFiles=3
file1=3,README.TX_,help\\en\\readme.txt
file2=3,README.TX_,extra\\deep\\readme.txt
file3=3,UNINST.EX_,UNINST.EXE
EOF
}

# case | the levels that stand before | the new levels, top first
cases=(
  "script|$CASE/script|ACME ACME/Ledger ACME/Ledger/App"
  "typed|$CASE/typed|Apps Apps/Acme Apps/Acme/Tool"
)
for row in "${cases[@]}"; do
  IFS='|' read -r name base levels <<<"$row"
  read -ra new <<<"$levels"
  inst="$base/${new[-1]}"
  mkdir -p "$base"
  expected=""
  for level in "${new[@]}" "${new[-1]}/help" "${new[-1]}/help/en" \
    "${new[-1]}/extra" "${new[-1]}/extra/deep"; do
    expected+="Made Dir: $(winpath "$base/$level")"$'\n'
  done
  if [ "$name" = script ]; then
    product "$(winpath "$inst")"
    start_setup "$disk"
    walk_pages -t 20000 -g cancel
  else
    product 'C:\Elsewhere'
    start_setup "$disk"
    walk_pages -d "$inst" -t 20000 -g cancel
  fi
  wait_setup 60
  expect_eq 1 "$SETUP_STATUS" "$name: exit status"
  expect_log_lines "$inst" '^Made Dir: ' "${expected%$'\n'}" "$name: the levels made, top first"
  for file in help/en/readme.txt extra/deep/readme.txt; do
    cmp -s "$CASE/readme.txt" "$inst/$file" || fail "$name: $file not installed"
  done
done

# The uninstaller takes every level it made away, deepest first; what stood
# before stays.
inst="$CASE/script/ACME/Ledger/App"
start_uninst "$inst"
confirm_uninst
wait_uninst 60
report="$(uninstall_report)"
expect_no_file "$CASE/script/ACME"
[ -d "$CASE/script" ] || fail "the folder that stood before was removed"
grep -q " 0 left in place" <<<"$report" || fail "something was left: $report"

# blocked: the message, the status, nothing touched; the log stays in the
# temporary directory.
mkdir -p "$CASE/blocked"
printf 'a file\n' >"$CASE/blocked/Vendor"
inst="$CASE/blocked/Vendor/App"
product 'C:\Elsewhere'
rm -f "$(temp_dir)/install.log"
start_setup "$disk"
walk_pages -d "$inst" -s next
text="$(ui wait-msgbox Setup 20000 -- text 65535)"
head="Setup cannot create the folder $(winpath "$inst")."
[ "${text%%$'\n'*}" = "$head" ] || fail "blocked: the message [$text] does not start [$head]"
reason="$(tail -n 1 <<<"$text")"
[ -n "$reason" ] && [ "$reason" != "$head" ] || fail "blocked: no reason in [$text]"
ui wait-msgbox Setup -- click 1
wait_setup 30
expect_eq 1 "$SETUP_STATUS" "blocked: exit status"
expect_eq "a file" "$(cat "$CASE/blocked/Vendor")" "blocked: the file in the way"
expect_eq "Vendor" "$(ls "$CASE/blocked")" "blocked: what the folder holds"
expect_eq 3 "$(wc -l <"$(temp_dir)/install.log")" "blocked: lines of the log left in %TEMP%"
rm -f "$(temp_dir)/install.log"
pass
