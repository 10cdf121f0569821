#!/usr/bin/env bash
# Shared files in the Windows and system directories carry a reference count
# under HKLM\...\SharedDLLs (one REG_DWORD per full path). Two runs of the
# setup into one directory, then the uninstall:
#   new         shfnew.dll, placed by the first run: count 1, then 2 (the
#               second run found it); the record says raised by 2; the
#               uninstall takes the count to zero and removes the file
#   uncounted   shfold.dll stood there without a count: counted as used once
#               already (2, then 3); the uninstall leaves 1 and the file
#   counted     shfcnt.dll stood there with a count of 1 (another installer's):
#               2, then 3; the uninstall leaves 1 and the file
#   changed     shfwin.dll in the Windows directory, placed (1, then 2), then
#               changed by the user: at zero it stays, and the count goes
. "$SOURCE_DIR/tests/e2e/lib.sh"
. "$SOURCE_DIR/tests/e2e/uninstall.sh"
e2e_init shared_files
trap 'kill_setup; kill_uninst' EXIT

counts='HKLM\Software\Microsoft\Windows\CurrentVersion\SharedDLLs'
inst="$CASE/Shared Product"
disk="$CASE/disk"
sys="$(system_dir)"
win="$(windows_dir)"
# count PATH: the count of a Windows path, in decimal, or nothing.
count() {
  local hex
  hex="$(wine reg query "$counts" /v "$1" 2>/dev/null | tr -d '\r' |
    sed -n 's/.*REG_DWORD *0x\([0-9a-fA-F]*\).*/\1/p' | head -n 1)"
  [ -n "$hex" ] && echo $((16#$hex))
}
wsys="$(winpath "$sys")" wwin="$(winpath "$win")"
forget() {
  local name
  for name in "$wsys\\shfnew.dll" "$wsys\\shfold.dll" "$wsys\\shfcnt.dll" "$wwin\\shfwin.dll"; do
    wine reg delete "$counts" /v "$name" /f >/dev/null 2>&1
  done
  rm -f "$sys/shfnew.dll" "$sys/shfold.dll" "$sys/shfcnt.dll" "$win/shfwin.dll"
}
forget
trap 'kill_setup; kill_uninst; forget' EXIT

# What stood before: two files, one of them counted by another installer.
printf 'an old library\n' >"$sys/shfold.dll"
printf 'a counted library\n' >"$sys/shfcnt.dll"
wine reg add "$counts" /v "$wsys\\shfcnt.dll" /t REG_DWORD /d 1 /f >/dev/null 2>&1 || fail "reg add"

make_disk "$disk"
touch "$disk/Disk1"
for name in new old cnt win; do
  printf 'the product %s library\n' "$name" >"$CASE/$name.dll"
  compress "$CASE/$name.dll" "$disk/${name^^}.DL_"
done
compress "$BUILD_DIR/UNINST.EXE" "$disk/UNINST.EX_"
write_script "$disk" <<'EOF2'
[Title]
DlgTitle=Shared Test
NumberDisk=1
[Disk1]
NumberFiles=5
file1=2,NEW.DL_,shfnew.dll
file2=2,OLD.DL_,shfold.dll
file3=2,CNT.DL_,shfcnt.dll
file4=1,WIN.DL_,shfwin.dll
file5=3,UNINST.EX_,UNINST.EXE
EOF2

start_setup "$disk"
walk_pages -d "$inst" -g cancel
wait_setup 60
expect_eq "1 2 2 1" "$(count "$wsys\\shfnew.dll") $(count "$wsys\\shfold.dll") \
$(count "$wsys\\shfcnt.dll") $(count "$wwin\\shfwin.dll")" "the counts after the first run"
expect_eq "the product new library" "$(cat "$sys/shfnew.dll")" "new: placed"
expect_eq "an old library" "$(cat "$sys/shfold.dll")" "uncounted: types 1 and 2 never replace"
start_setup "$disk"
walk_pages -d "$inst" -g cancel
wait_setup 60
expect_eq "2 3 3 2" "$(count "$wsys\\shfnew.dll") $(count "$wsys\\shfold.dll") \
$(count "$wsys\\shfcnt.dll") $(count "$wwin\\shfwin.dll")" "the counts after the second run"
record="$(cat "$inst"/install-*.rec | tr -d '\r')"
grep -qixF "Shared 2 :$wsys\\shfnew.dll" <<<"$record" || fail "the record lacks new's count: $record"
grep -qixF "Shared 2 :$wsys\\shfold.dll" <<<"$record" || fail "the record lacks uncounted's count"

printf 'changed by the user\n' >"$win/shfwin.dll"
start_uninst "$inst"
confirm_uninst
wait_uninst 60
report="$(uninstall_report)"

expect_no_file "$sys/shfnew.dll"
expect_eq "" "$(count "$wsys\\shfnew.dll")" "new: the count's value"
expect_eq "an old library" "$(cat "$sys/shfold.dll")" "uncounted: the file"
expect_eq 1 "$(count "$wsys\\shfold.dll")" "uncounted: the count"
expect_eq "a counted library" "$(cat "$sys/shfcnt.dll")" "counted: the file"
expect_eq 1 "$(count "$wsys\\shfcnt.dll")" "counted: the count"
expect_eq "changed by the user" "$(cat "$win/shfwin.dll")" "changed: the file"
expect_eq "" "$(count "$wwin\\shfwin.dll")" "changed: the count's value"
for line in "shfold.dll: shared, and other programs still count on it (count 1)" \
  "shfcnt.dll: shared, and other programs still count on it (count 1)" \
  "shfwin.dll: changed since the installation"; do
  grep -qF "$line" <<<"$report" || fail "the report lacks [$line]: $report"
done
sed -n '/^Removed:/,/^$/p' <<<"$report" | grep -qi 'shfnew.dll' || fail "new not reported removed: $report"
expect_no_file "$inst"
pass
