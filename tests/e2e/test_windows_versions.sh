#!/usr/bin/env bash
# Every Windows version Wine can pretend to be, one after another in one
# prefix: a whole installation over an already installed file (a registry
# value, a win.ini entry and a program group), then UNINST.EXE takes it all
# away again. In the Windows 95 family's modes Wine's relay trace shows that
# neither program calls what that family lacks (MoveFileExA,
# GetFileAttributesExA, GetLongPathNameA, GetDiskFreeSpaceExA) or opens a
# file with FILE_SHARE_DELETE or DELETE access, and WININIT.INI names the
# uninstaller's temporary copy. Wine still implements those functions in
# these modes: the trace shows the way the programs take, not what the old
# systems refuse.
. "$SOURCE_DIR/tests/e2e/lib.sh"
. "$SOURCE_DIR/tools/shelldde/server.sh"
. "$SOURCE_DIR/tests/e2e/uninstall.sh"
e2e_init windows_versions

MODES="${WINDOWS_MODES:-win95 win98 winme nt40 win2k winxp vista win7 win8 win10}"
FAMILY_95="win95 win98 winme"
MISSING_ON_95='MoveFileExA|GetFileAttributesExA|GetLongPathNameA|GetDiskFreeSpaceExA'
FILE_SHARE_DELETE=$((0x4))
DELETE_ACCESS=$((0x10000))
# The uninstaller names it in capitals, and Wine keeps the case it is given.
wininit="$(windows_dir)/WININIT.INI"
rm -f "$wininit" "$(windows_dir)/wininit.ini"

restore() {
  stop_shelldde
  kill_setup
  kill_uninst
  wine reg delete 'HKCU\Software\Wine' /v Version /f >/dev/null 2>&1
  wine reg delete 'HKCU\Software\Wine\Debug' /v RelayInclude /f >/dev/null 2>&1
  rm -f "$wininit" "$(temp_dir)"/~uninst*.exe
}
trap restore EXIT

programs="$(_wine_user_dir)/AppData/Roaming/Microsoft/Windows/Start Menu/Programs"
disk="$CASE/disk"
make_disk "$disk"
touch "$disk/Disk1"
printf 'the new program\n' >"$CASE/app.txt"
compress "$CASE/app.txt" "$disk/APP.TX_"
compress "$BUILD_DIR/UNINST.EXE" "$disk/UNINST.EX_"
write_script "$disk" <<'EOF2'
[Title]
DlgTitle=Matrix Product
NumberDisk=1
[Disk1]
NumberFiles=2
file1=3,APP.TX_,app.txt
file2=3,UNINST.EX_,UNINST.EXE
[Register]
NumberReg=1
regKey1=1,Software\MatrixE2E
regVal1=Path,#s\app.txt
[WinIni]
NumberIni=1
IniKey1=MatrixE2E,Dir,#s\app.txt
[WinGroup]
GroupTitle=Matrix Product
NumberItem=1
item1=app.txt,The App
EOF2

# The relay trace, limited to the functions in question and to CreateFileA,
# whose sharing and access arguments it shows.
wine reg add 'HKCU\Software\Wine\Debug' /v RelayInclude /f \
  /d "$(tr '|' ';' <<<"$MISSING_ON_95");CreateFileA" >/dev/null 2>&1 || fail "could not limit the relay trace"

# trace_problems FILE PROGRAM: what the trace shows the 95 family lacks.
trace_problems() {
  local trace="$1" program="$2" line args access share
  grep -E "Call [A-Za-z0-9_]+\.($MISSING_ON_95)\(" "$trace" | sed 's/(.*//; s/.*Call /called /' |
    sort -u | sed "s/^/$program: /"
  while IFS= read -r line; do
    args="$(sed -E 's/.*CreateFileA\([0-9a-f]+ (L?"([^"\\]|\\.)*")?,?//' <<<"$line")"
    access=$((16#$(cut -d, -f1 <<<"$args")))
    share=$((16#$(cut -d, -f2 <<<"$args")))
    if ((share & FILE_SHARE_DELETE)) || ((access & DELETE_ACCESS)); then
      echo "$program: CreateFileA with sharing $(cut -d, -f2 <<<"$args") access $(cut -d, -f1 <<<"$args"): $(grep -o '"[^"]*"' <<<"$line" | head -n 1)"
    fi
  done < <(grep -E 'Call [A-Za-z0-9_]+\.CreateFileA\(' "$trace")
}

lines_of() { [ -z "$1" ] || printf '%s\n' "$1"; }

ran=()
relay_problems=()
start_shelldde "$CASE/server.log" || fail "server did not start"
for mode in $MODES; do
  E2E_NAME="windows_versions $mode"
  wine reg add 'HKCU\Software\Wine' /v Version /d "$mode" /f >/dev/null 2>&1 || fail "Wine refused the mode"
  family95=0
  [[ " $FAMILY_95 " == *" $mode "* ]] && family95=1
  told="$(wine "$BUILD_DIR/tests/os_version_plain.exe" </dev/null 2>/dev/null | tr -d '\r')"
  platform="$(sed -n 's/.* platform \([0-9]\).*/\1/p' <<<"$told")"
  expect_eq "$((family95 ? 1 : 2))" "$platform" "the platform Wine reports ($told)"

  inst="$CASE/$mode/Matrix Product"
  mkdir -p "$inst"
  printf 'the old program\n' >"$inst/app.txt"
  : >"$CASE/setup-output.txt"
  : >"$CASE/uninst-output.txt"
  ((family95)) && export WINEDEBUG=+relay
  start_setup "$disk"
  export WINEDEBUG=-all
  walk_pages -d "$inst" -g next
  wait_setup 60
  expect_eq 1 "$SETUP_STATUS" "exit status of the setup"
  expect_eq "the new program" "$(cat "$inst/app.txt" 2>/dev/null)" "the installed file replaced"
  expect_file "$inst/UNINST.EXE"
  expect_file "$inst/install.log"
  for line in "File Copy: $(winpath "$inst")\\app.txt" 'RegDB Key: Software\MatrixE2E' \
    'INI Sect: MatrixE2E' 'Icon Group: Matrix Product'; do
    expect_log_line "$inst" "$line" "the installation"
  done
  # The registry value names the short install directory, as the group's
  # command line does; win.ini the long one.
  short_app="$(log_lines "$inst" '^Icon Cmd: ' | sed 's/^Icon Cmd: //')"
  [ -n "$short_app" ] || fail "install.log has no Icon Cmd line"
  expect_eq "$short_app" "$(reg_value 'HKCU\Software\MatrixE2E' Path)" "registry value"
  expect_eq "$(winpath "$inst")\\app.txt" "$(ui profile MatrixE2E Dir)" "win.ini entry"
  expect_file "$programs/Matrix Product/The App.lnk"

  wininit_before="$(tr -d '\r' 2>/dev/null <"$wininit")"
  ((family95)) && export WINEDEBUG=+relay
  start_uninst "$inst"
  export WINEDEBUG=-all
  confirm_uninst
  wait_uninst 60
  # What the installation made goes; the file that stood there before and
  # the install directory, which was there too, stay.
  for path in "$inst/UNINST.EXE" "$inst/install.log" "$inst/install-69222325.rec" "$programs/Matrix Product"; do
    [ -e "$path" ] && fail "still there after the removal: $path ($(uninstall_report))"
  done
  [ -f "$inst/app.txt" ] || fail "the file that stood there before was removed"
  [ -d "$inst" ] || fail "the install directory that was there before was removed"
  reg_key_exists 'HKCU\Software\MatrixE2E' && fail "registry key left"
  expect_eq "(none)" "$(ui profile MatrixE2E Dir)" "win.ini entry after the removal"

  # The temporary copy waits for the next start: WININIT.INI on the 95
  # family (what was there kept, one NUL line more), MoveFileExA on NT.
  wininit_after="$(tr -d '\r' 2>/dev/null <"$wininit")"
  if ((family95)); then
    changes="$(diff <(lines_of "$wininit_before") <(lines_of "$wininit_after"))"
    added="$(sed -n 's/^> //p' <<<"$changes")"
    removed="$(grep -c '^<' <<<"$changes")"
    expect_eq 0 "$removed" "WININIT.INI lines lost"
    # ~uninst<pid>.exe in the temporary directory, by its short name.
    grep -qiE '^NUL=C:\\.*\\[^\\]*UNI[^\\]*\.EXE$' <<<"$added" ||
      fail "WININIT.INI does not name the temporary copy: [$added]"
    ls "$(temp_dir)"/~uninst*.exe >/dev/null 2>&1 || fail "no temporary copy left for WININIT.INI"
    head -n 1 <<<"$wininit_after" | grep -qix '\[rename\]' || fail "WININIT.INI: no [rename] section"
    for program in setup uninst; do
      while IFS= read -r problem; do
        [ -n "$problem" ] && relay_problems+=("$mode $problem")
      done < <(trace_problems "$CASE/$program-output.txt" "$program")
    done
    grep -qE 'Call [A-Za-z0-9_]+\.CreateFileA\(' "$CASE/uninst-output.txt" ||
      fail "no relay trace of the uninstaller"
  else
    expect_eq "$wininit_before" "$wininit_after" "WININIT.INI on the NT family"
    wine reg query 'HKLM\System\CurrentControlSet\Control\Session Manager' \
      /v PendingFileRenameOperations 2>/dev/null | grep -qi 'uninst[0-9]*\.exe' ||
      fail "the temporary copy is not pending removal"
  fi
  ran+=("$mode")
  echo "ran $mode"
done
E2E_NAME=windows_versions
echo "modes run: ${ran[*]}"
if [ "${#relay_problems[@]}" -gt 0 ]; then
  printf '  %s\n' "${relay_problems[@]}" >&2
  fail "the Windows 95 family took the NT way (${#relay_problems[@]} findings above)"
fi
pass
