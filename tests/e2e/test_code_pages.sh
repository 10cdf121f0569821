#!/usr/bin/env bash
# A product whose title, install directory, sub-directory, file names,
# registry key and value, group and item are not ASCII, installed and removed
# again on a Cyrillic system (code page 1251) and on a Japanese one (932,
# double-byte: its names have characters whose second byte is a backslash or
# a bar). The script is written in the system's code page; one product file
# is stored on the disk under a name in that code page. The files land under
# their names, install.log and the record read back whole, the group name
# reaches the shell in the code page, and UNINST.EXE takes everything away.
. "$SOURCE_DIR/tests/e2e/lib.sh"
. "$SOURCE_DIR/tools/shelldde/server.sh"
. "$SOURCE_DIR/tests/e2e/uninstall.sh"
e2e_init code_pages
trap 'stop_shelldde; kill_setup; kill_uninst' EXIT

programs="$(_wine_user_dir)/AppData/Roaming/Microsoft/Windows/Start Menu/Programs"

# in_cp CP: stdin (UTF-8) in code page CP; fails the test on a character
# the code page lacks.
in_cp() { iconv -f UTF-8 -t "CP$1" || fail "not in code page $1"; }
# from_cp CP FILE: FILE (in code page CP) in UTF-8; fails on bytes that are
# no text of the code page (a name cut in the middle of a character).
from_cp() { iconv -f "CP$1" -t UTF-8 "$2" || fail "$2 is not text of code page $1"; }

# record_whole FILE: the End line counts the entries and holds the CRC-32 of
# everything before it.
record_whole() {
  local file="$1" end count crc size
  end="$(tail -n 1 "$file" | tr -d '\r')"
  [[ "$end" =~ ^End\ ([0-9]+)\ ([0-9a-f]{8})$ ]] || fail "$file: last line [$end]"
  count="${BASH_REMATCH[1]}"
  crc="${BASH_REMATCH[2]}"
  expect_eq "InstallRecord 1" "$(head -n 1 "$file" | tr -d '\r')" "$file: header"
  expect_eq "$count" "$(($(wc -l <"$file") - 2))" "$file: entries counted"
  size=$(($(stat -c %s "$file") - $(tail -n 1 "$file" | wc -c)))
  expect_eq "$crc" "$(head -c "$size" "$file" | gzip -c | tail -c 8 | head -c 4 | od -An -tx4 | tr -d ' ')" \
    "$file: CRC-32"
}

# escaped TEXT: a text field of the record as written (blanks as %20).
escaped() { echo "${1// /%20}"; }

# product CP LOCALE TITLE DIR SUBDIR FILE SUBFILE MEDIA KEY VALUE GROUP ITEM:
# installs and removes one product; every name in UTF-8, MEDIA the plain
# (uncompressed) disk name of SUBFILE.
product() {
  local cp="$1" title="$3" dir="$4" subdir="$5" file="$6" subfile="$7" media="$8"
  local key="$9" value="${10}" group="${11}" item="${12}"
  local work="$CASE/cp$cp" disk inst long log rec command
  # Wine's code pages follow LC_ALL; the locale must exist on the host too,
  # or Wine cannot name files in UTF-8.
  export LOCPATH="$BUILD_DIR/locales"
  export LC_ALL="$2"
  disk="$work/disk"
  inst="$work/$dir"
  long="$(winpath "$inst")"
  make_disk "$disk"
  touch "$disk/Disk1"
  printf 'the program of code page %s\n' "$cp" >"$work/file.txt"
  printf 'the notes of code page %s\n' "$cp" >"$disk/$media"
  compress "$work/file.txt" "$disk/FILE.TX_"
  compress "$BUILD_DIR/UNINST.EXE" "$disk/UNINST.EX_"
  in_cp "$cp" <<EOF2 | write_script "$disk"
[Title]
DlgTitle=$title
InstalDir=$long
NumberDisk=1
[SubDir]
NumberDirs=1
Dir1=$subdir
[Disk1]
NumberFiles=3
file1=3,FILE.TX_,$file
file2=3,$media,$subdir\\$subfile
file3=3,UNINST.EX_,UNINST.EXE
[Register]
NumberReg=1
regKey1=1,Software\\$key
regVal1=$value,#s\\$file
[WinGroup]
GroupTitle=$group
NumberItem=1
item1=$file,$item
EOF2

  start_shelldde "$work/server.log" || fail "cp$cp: server did not start"
  start_setup "$disk"
  walk_pages -g next -p "cp$cp"
  wait_setup 60
  expect_eq 1 "$SETUP_STATUS" "cp$cp: exit status"

  # The files under their names.
  cmp -s "$work/file.txt" "$inst/$file" || fail "cp$cp: $file not installed"
  cmp -s "$disk/$media" "$inst/$subdir/$subfile" || fail "cp$cp: $subdir/$subfile not installed"

  # install.log: every line text of the code page, the names whole.
  log="$(from_cp "$cp" "$inst/install.log" | tr -d '\r')"
  for line in "Title: $title" "Made Dir: $long" "Made Dir: $long\\$subdir" \
    "File Copy: $long\\$file" "File Copy: $long\\$subdir\\$subfile" "File Copy: $long\\UNINST.EXE" \
    "RegDB Key: Software\\$key" "RegDB Name: $value" "RegDB Root: 1" "Icon Group: $group" \
    "Icon Name: $item"; do
    grep -qxF -- "$line" <<<"$log" || fail "cp$cp: install.log lacks [$line]: $log"
  done
  grep -qE "^RegDB Val: .*\\\\$file\$" <<<"$log" || fail "cp$cp: install.log's value: $log"

  # The record: whole, and its entries name the same.
  recs=("$inst"/install-*.rec)
  [ ${#recs[@]} = 1 ] && [ -f "${recs[0]}" ] || fail "cp$cp: not one record: ${recs[*]}"
  record_whole "${recs[0]}"
  rec="$(from_cp "$cp" "${recs[0]}" | tr -d '\r')"
  for line in "Dir 1 :$(escaped "$long\\$subdir")" "Group 0 :$(escaped "$group")" \
    "Item 0 :$(escaped "$group") :$(escaped "$item")"; do
    grep -qxF -- "$line" <<<"$rec" || fail "cp$cp: the record lacks [$line]: $rec"
  done
  grep -qE "^File 0 [0-9]+ [0-9a-f]{8} :" <<<"$(grep -F " :$(escaped "$long\\$subdir\\$subfile")" <<<"$rec")" ||
    fail "cp$cp: the record lacks the file: $rec"

  # The registry value, read back through an export (UTF-16).
  wine reg export "HKCU\\Software\\$key" "$(winpath "$work/key.reg")" /y >/dev/null 2>&1 ||
    fail "cp$cp: no key Software\\$key"
  iconv -f UTF-16 -t UTF-8 "$work/key.reg" | tr -d '\r' | grep -qE "^\"$value\"=\".*\\\\\\\\$file\"\$" ||
    fail "cp$cp: the value $value: $(iconv -f UTF-16 -t UTF-8 "$work/key.reg")"

  # The shell received the group in the code page, and made it.
  command="$(printf '[CreateGroup("%s")]' "$group" | in_cp "$cp")"
  grep -qxF -- "$command" "$work/server.log" || fail "cp$cp: CreateGroup: $(cat "$work/server.log")"
  expect_file "$programs/$group/$item.lnk"

  # Removed again.
  start_uninst "$inst"
  ui wait-background 20000 -- wait-page welcome 20000
  shot "cp$cp-uninstall"
  confirm_uninst
  wait_uninst 60
  stop_shelldde
  for path in "$inst" "$programs/$group"; do
    [ -e "$path" ] && fail "cp$cp: still there: $path (report: $(uninstall_report | iconv -f "CP$cp" -t UTF-8))"
  done
  reg_key_exists "HKCU\\Software\\$key" && fail "cp$cp: the key Software\\$key is still there"
  unset LC_ALL LOCPATH
}

# The two locales, made from the host's locale sources when missing.
mkdir -p "$BUILD_DIR/locales"
for locale in ru_RU ja_JP; do
  [ -d "$BUILD_DIR/locales/$locale.UTF-8" ] ||
    localedef -i "$locale" -f UTF-8 "$BUILD_DIR/locales/$locale.UTF-8" >/dev/null 2>&1 ||
    [ -d "$BUILD_DIR/locales/$locale.UTF-8" ] || fail "localedef could not make $locale.UTF-8"
done

# 1251: Cyrillic, one byte a character.
product 1251 ru_RU.UTF-8 "Программа Привет" "Привет Мир" "Документы" "привет.txt" "читать.txt" \
  "ЧИТАТЬ.TXT" "ПриветE2E" "Путь" "Привет группа" "Открыть привет"

# 932: 表 ソ 能 end in the byte of a backslash, ポ in that of a bar.
product 932 ja_JP.UTF-8 "ソフト表示 ポ" "表示ソフト" "能力" "ポスター.txt" "表.txt" "表ソ.TXT" \
  "表示E2E" "能力" "ソフト表" "ポスター表"
pass
