#!/usr/bin/env bash
# Every entry type through a whole run, from compressed sources: 1 and 2 keep
# an existing file, 3 replaces, 4 then 5 moves a file through %TEMP%, 6 picks
# its source by the locale in system.cb, a letter type is 2, a source name may
# hold a comma, and undefined or malformed entries copy nothing.
. "$SOURCE_DIR/tests/e2e/lib.sh"
e2e_init transfer_types

win="$(windows_dir)"; sys="$(system_dir)"; tmp="$(temp_dir)"
disk="$CASE/disk"; inst="$CASE/inst"; data="$CASE/data"
mkdir -p "$data" "$inst/sub"
names="e2e_t1_new e2e_t1_keep e2e_t2_new e2e_t2_keep e2e_letter e2e_stage"
cleanup_outside() {
  for name in $names; do rm -f "$win/$name.txt" "$sys/$name.txt" "$tmp/$name.tmp"; done
  rm -f "$win/system.cb"
}
cleanup_outside

make_disk "$disk"
touch "$disk/Disk1"
# Distinct contents, long enough to be compressed for real.
for name in $names three locale_ru locale_other comma; do
  for i in 1 2 3 4 5 6 7 8; do echo "$name line $i of the $name file"; done >"$data/$name.txt"
done
for name in $names three locale_ru locale_other; do
  compress "$data/$name.txt" "$disk/${name^^}.TX_"
done
compress "$data/comma.txt" "$disk/CO,MMA.TX_"

echo old >"$win/e2e_t1_keep.txt"
echo old >"$sys/e2e_t2_keep.txt"
echo old >"$inst/three.txt"
printf '[Intl]\r\nSystemLocale=000419\r\n' >"$win/system.cb"

write_script "$disk" <<'EOF'
[Title]
DlgTitle=Type Test
[Disk1]
NumberFiles=14
file1=1,E2E_T1_NEW.TX_,e2e_t1_new.txt
file2=1,E2E_T1_KEEP.TX_,e2e_t1_keep.txt
file3=2,E2E_T2_NEW.TX_,e2e_t2_new.txt
file4=2,E2E_T2_KEEP.TX_,e2e_t2_keep.txt
file5=X,E2E_LETTER.TX_,e2e_letter.txt
file6=3,THREE.TX_,three.txt
file7=4,E2E_STAGE.TX_,e2e_stage.tmp
file8=5,e2e_stage.tmp,sub\stage.txt
file9=6,LOCALE_RU.TX_,LOCALE_OTHER.TX_,locale.txt
file10=3,CO,MMA.TX_,comma.txt
file11=0,THREE.TX_,zero.txt
file12=7,THREE.TX_,seven.txt
file13=3,THREE.TX_
file14=6,LOCALE_RU.TX_,six.txt
EOF

start_setup "$disk"
walk_pages -d "$inst" -t 20000 -g cancel
wait_setup 60
expect_eq 1 "$SETUP_STATUS" "exit status"

same() { cmp -s "$1" "$2" || fail "$3: $2 differs from $1"; }
same "$data/e2e_t1_new.txt" "$win/e2e_t1_new.txt" "type 1, missing"
expect_eq old "$(cat "$win/e2e_t1_keep.txt")" "type 1 replaced an existing file"
same "$data/e2e_t2_new.txt" "$sys/e2e_t2_new.txt" "type 2, missing"
expect_eq old "$(cat "$sys/e2e_t2_keep.txt")" "type 2 replaced an existing file"
same "$data/e2e_letter.txt" "$sys/e2e_letter.txt" "letter type goes to the system directory"
expect_no_file "$win/e2e_letter.txt"
expect_no_file "$inst/e2e_letter.txt"
same "$data/three.txt" "$inst/three.txt" "type 3 replaces"
same "$data/e2e_stage.txt" "$inst/sub/stage.txt" "type 4 then 5"
expect_no_file "$tmp/e2e_stage.tmp"
same "$data/locale_ru.txt" "$inst/locale.txt" "type 6 with SystemLocale 000419"
same "$data/comma.txt" "$inst/comma.txt" "source name with a comma"
for name in zero seven six; do expect_no_file "$inst/$name.txt"; done
[ "$(ls "$inst" | sort | tr '\n' ' ')" = "comma.txt install-74f2cc1a.rec install.log locale.txt sub three.txt " ] ||
  fail "unexpected files in the install directory: $(ls "$inst")"

# 1 new, 2 new, letter, 3, 5, 6, comma.
expect_eq 7 "$(log_count "$inst" '^File Copy: ')" "File Copy lines"
expect_log_line "$inst" "File Copy: $(winpath "$inst")\\sub\\stage.txt" "the type-5 destination"

cleanup_outside
pass
