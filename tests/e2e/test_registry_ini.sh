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
ui wait-background 20000 -- wait-page welcome 20000 -- click 1 \
  -- wait-page directory -- type 11 "$(winpath "$inst")" -- click 1 -- wait-page group 30000
ui wait-page group -- click 2 -- wait-gone group
wait_setup 30
expect_eq 1 "$SETUP_STATUS" "exit status"

long="$(winpath "$inst")"
short="$(winepath -s "$long" 2>/dev/null | tr -d '\r')"
[ -n "$short" ] && [ "$short" != "$long" ] || fail "no distinct short form for $long: [$short]"

# reg_value KEY NAME: the REG_SZ data of a value, as `reg query` prints it.
reg_value() {
  local name=("/v" "$2")
  [ "$2" = "" ] && name=("/ve")
  wine reg query "$1" "${name[@]}" 2>/dev/null | tr -d '\r' |
    sed -n 's/^ *\([^ ].*\)\?  *REG_SZ  *//p; s/^ *\([^ ].*\)\?  *REG_SZ$//p' | head -n 1
}
expect_eq "$short\\bin" "$(reg_value 'HKLM\Software\SetupE2E\Product' Path)" "HKLM value with the placeholder"
expect_eq "Default text, with comma" "$(reg_value 'HKCU\Software\SetupE2E\Product' '')" "default value"
expect_eq '#S\x' "$(reg_value 'HKCU\Software\SetupE2E\Product' Kept)" "capital S kept"
wine reg query 'HKCU\Software\SetupE2E\Bad' >/dev/null 2>&1 && fail "an entry with root 7 was written"
wine reg query 'HKLM\Software\SetupE2E\Bad' >/dev/null 2>&1 && fail "an entry with root 7 was written"

# win.ini: the long form, an empty value kept as an empty entry.
winini="$(windows_dir)/win.ini"
expect_file "$winini"
section() { tr -d '\r' <"$winini" | sed -n "/^\[$1\]\$/,/^\[/p"; }
section SetupE2E | grep -qxF "Dir=$long\\bin" || fail "win.ini Dir: $(section SetupE2E)"
section SetupE2E | grep -qxF "Empty=" || fail "win.ini Empty: $(section SetupE2E)"
section 'SetupE2E Other,With' | grep -qxF "comma=v" || fail "win.ini comma section: $(section 'SetupE2E Other,With')"

winwin="$(winpath "$(windows_dir)")"
expect_eq "RegDB Key: Software\\SetupE2E\\Product
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
INI Val: v" "$(tr -d '\r' <"$inst/install.log" | grep -E '^(RegDB|INI) ')" "RegDB and INI log lines"

pass
