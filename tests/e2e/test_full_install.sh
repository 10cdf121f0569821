#!/usr/bin/env bash
# A whole installation from two disks with our shell DDE server running:
# every page, the prompt for disk 2 answered by making its tag, then the
# files, registry values, win.ini entries, the group's links, and the whole
# install.log compared line by line.
. "$SOURCE_DIR/tests/e2e/lib.sh"
. "$SOURCE_DIR/tools/shelldde/server.sh"
e2e_init full_install
trap 'stop_shelldde; kill_setup' EXIT

disk="$CASE/disk"
inst="$CASE/Full Product"
programs="$(_wine_user_dir)/AppData/Roaming/Microsoft/Windows/Start Menu/Programs"
make_disk "$disk"
touch "$disk/Disk1"
mkdir -p "$CASE/src"
printf 'Full Product main program stand-in\n' >"$CASE/src/app.txt"
printf 'Read me first: this is the full installation test.\n' >"$CASE/src/readme.txt"
printf '[FullProduct]\nInstalled=yes\n' >"$CASE/src/fullprod.ini"
printf 'data of the second disk, line one\nline two\n' >"$CASE/src/data.txt"
printf 'notes\n' >"$CASE/src/notes.txt"   # under 16 bytes: compressed by hand
for f in app readme data notes; do compress "$CASE/src/$f.txt" "$disk/${f^^}.TX_"; done
compress "$CASE/src/fullprod.ini" "$disk/FULLPROD.IN_"
write_script "$disk" <<'EOF'
[Title]
DlgTitle=Full Product
InstalDir=C:\Proposed
SizeInst=1
NumberDisk=2
[SubDir]
NumberDirs=2
Dir1=docs
Dir2=data
[Disk1]
NumberFiles=3
file1=3,APP.TX_,app.txt
file2=3,README.TX_,docs\readme.txt
file3=1,FULLPROD.IN_,fullprod.ini
[Disk2]
NumberFiles=2
file1=3,DATA.TX_,data\data.txt
file2=3,NOTES.TX_,docs\notes.txt
[Register]
NumberReg=2
regKey1=2,Software\FullProduct\Setup
regVal1=InstallDir,#s\
regKey2=1,Software\FullProduct\Settings
regVal2=DataFile,#s\data\data.txt
[WinIni]
NumberIni=1
IniKey1=Full Product,Home,#s\docs
[WinGroup]
GroupTitle=Full Product
NumberItem=2
item1=app.txt,Full Product
item2=docs\readme.txt,Read Me
EOF

start_shelldde "$CASE/server.log" || fail "server did not start"
started="$(date +'%d/%m/%y %H:%M')"
start_setup "$disk"
walk_pages -d "$inst" -s next -p full \
  -- wait-msgbox "New Disk Needed" 30000 -- expect-text 65535 "Please insert disk #2"
shot full-disk-prompt
touch "$disk/Disk2"
ui wait-msgbox "New Disk Needed" -- click 1 -- wait-page group 30000 -- expect-text 11 "Full Product"
walk_pages -f group -g next -p full
wait_setup 60
expect_eq 1 "$SETUP_STATUS" "exit status"
started="$started|$(date +'%d/%m/%y %H:%M')"

# Files.
for pair in app.txt:app.txt readme.txt:docs/readme.txt data.txt:data/data.txt notes.txt:docs/notes.txt; do
  cmp -s "$CASE/src/${pair%%:*}" "$inst/${pair#*:}" || fail "installed ${pair#*:} differs"
done
cmp -s "$CASE/src/fullprod.ini" "$(windows_dir)/fullprod.ini" || fail "fullprod.ini in the Windows directory differs"

long="$(winpath "$inst")"
short="$(winepath -s "$long" 2>/dev/null | tr -d '\r')"
[ -n "$short" ] && [ "$short" != "$long" ] || fail "no distinct short form for $long: [$short]"

# Registry and win.ini.
expect_eq "$short\\" "$(reg_value 'HKLM\Software\FullProduct\Setup' InstallDir)" "HKLM InstallDir"
expect_eq "$short\\data\\data.txt" "$(reg_value 'HKCU\Software\FullProduct\Settings' DataFile)" "HKCU DataFile"
tr -d '\r' <"$(windows_dir)/win.ini" | sed -n '/^\[Full Product\]$/,/^\[/p' | grep -qxF "Home=$long\\docs" ||
  fail "win.ini [Full Product] Home"

# The group and its links.
expect_eq "[CreateGroup(\"Full Product\")]
[ShowGroup(\"Full Product\",1)]
[AddItem($short\\app.txt,\"Full Product\")]
[AddItem($short\\docs\\readme.txt,\"Read Me\")]
[ShowGroup(\"Full Product\",6)]" "$(cat "$CASE/server.log")" "command text"
for link in "Full Product:app.txt" "Read Me:docs/readme.txt"; do
  file="$programs/Full Product/${link%%:*}.lnk"
  expect_file "$file"
  target="$(lnkinfo "$file" 2>/dev/null | sed -n 's/^[[:space:]]*Local path[[:space:]]*:[[:space:]]*//p' | head -n 1)"
  unix="$(winepath -u "$target" 2>/dev/null | tr -d '\r')"
  [ -n "$unix" ] && [ "$unix" -ef "$inst/${link#*:}" ] || fail "link ${link%%:*} points to [$target]"
done

# The whole log, line by line; the time of the header by pattern.
winwin="$(winpath "$(windows_dir)")"
expected="Made Dir: $long
Made Dir: $long\\docs
Made Dir: $long\\data
File Copy: $long\\app.txt
File Copy: $long\\docs\\readme.txt
File Copy: $winwin\\fullprod.ini
File Copy: $long\\data\\data.txt
File Copy: $long\\docs\\notes.txt
RegDB Key: Software\\FullProduct\\Setup
RegDB Val: $short\\
RegDB Name: InstallDir
RegDB Root: 2
RegDB Key: Software\\FullProduct\\Settings
RegDB Val: $short\\data\\data.txt
RegDB Name: DataFile
RegDB Root: 1
INI File: $winwin\\win.ini
INI Sect: Full Product
INI Item: Home
INI Val: $long\\docs
Icon Group: Full Product
Icon Name: Full Product
Icon Cmd: $short\\app.txt
Icon Group: Full Product
Icon Name: Read Me
Icon Cmd: $short\\docs\\readme.txt"
expect_log_head "$inst" "Full Product" "$(winpath "$disk")" "$started"
expect_no_file "$(temp_dir)/install.log"
actual="$(log_lines "$inst" | sed 1,3d)"
if [ "$expected" != "$actual" ]; then
  diff <(echo "$expected") <(echo "$actual") >&2
  fail "install.log differs from the expected text"
fi

pass
