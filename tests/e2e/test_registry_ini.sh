#!/usr/bin/env bash
# Registry values and win.ini entries of a whole run: the same placeholder
# gives the short install directory in HKLM and the long one in win.ini, and
# the log holds the RegDB and INI lines in script order.
. "$SOURCE_DIR/tests/e2e/lib.sh"
e2e_init registry_ini

disk="$CASE/disk"
inst="$CASE/Long Install Directory Name"
make_disk "$disk"
touch "$disk/Disk1"
write_script "$disk" <<'EOF'
[Title]
DlgTitle=Registry Test
NumberDisk=1
[Disk1]
NumberFiles=0
[Register]
NumberReg=4
regKey1=2,Software\SetupE2E\Product
regVal1=Path,#s\bin
regKey2=1,Software\SetupE2E\Product
regVal2=NULL,Default text, with comma
regKey3=1,Software\SetupE2E\Product
regVal3=Kept,#S\x
regKey4=7,Software\SetupE2E\Bad
regVal4=Bad,value
[WinIni]
NumberIni=3
IniKey1=SetupE2E,Dir,#s\bin
IniKey2=SetupE2E,Empty,
IniKey3=SetupE2E Other,With,comma,v
EOF

start_setup "$disk"
walk_pages -d "$inst" -g cancel
wait_setup 30
expect_eq 1 "$SETUP_STATUS" "exit status"

long="$(winpath "$inst")"
short="$(winepath -s "$long" 2>/dev/null | tr -d '\r')"
[ -n "$short" ] && [ "$short" != "$long" ] || fail "no distinct short form for $long: [$short]"

expect_eq "$short\\bin" "$(reg_value 'HKLM\Software\SetupE2E\Product' Path)" "HKLM value with the placeholder"
expect_eq "Default text, with comma" "$(reg_value 'HKCU\Software\SetupE2E\Product' '')" "default value"
expect_eq '#S\x' "$(reg_value 'HKCU\Software\SetupE2E\Product' Kept)" "capital S kept"
reg_key_exists 'HKCU\Software\SetupE2E\Bad' && fail "an entry with root 7 was written"
reg_key_exists 'HKLM\Software\SetupE2E\Bad' && fail "an entry with root 7 was written"

# win.ini: the long form, an empty value kept as an empty entry.
winini="$(windows_dir)/win.ini"
expect_file "$winini"
section() { tr -d '\r' <"$winini" | sed -n "/^\[$1\]\$/,/^\[/p"; }
section SetupE2E | grep -qxF "Dir=$long\\bin" || fail "win.ini Dir: $(section SetupE2E)"
section SetupE2E | grep -qxF "Empty=" || fail "win.ini Empty: $(section SetupE2E)"
section 'SetupE2E Other,With' | grep -qxF "comma=v" || fail "win.ini comma section: $(section 'SetupE2E Other,With')"

winwin="$(winpath "$(windows_dir)")"
expect_log_lines "$inst" '^(RegDB|INI) ' "RegDB Key: Software\\SetupE2E\\Product
RegDB Val: $short\\bin
RegDB Name: Path
RegDB Root: 2
RegDB Key: Software\\SetupE2E\\Product
RegDB Val: Default text, with comma
RegDB Name: 
RegDB Root: 1
RegDB Key: Software\\SetupE2E\\Product
RegDB Val: #S\\x
RegDB Name: Kept
RegDB Root: 1
INI File: $winwin\\win.ini
INI Sect: SetupE2E
INI Item: Dir
INI Val: $long\\bin
INI File: $winwin\\win.ini
INI Sect: SetupE2E
INI Item: Empty
INI Val: 
INI File: $winwin\\win.ini
INI Sect: SetupE2E Other,With
INI Item: comma
INI Val: v" "RegDB and INI log lines"

pass
