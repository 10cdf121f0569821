#!/usr/bin/env bash
# Program groups through our shell DDE server: the command text exactly as
# the server received it (short install directory, commas and apostrophes
# as they are, a caption's double quotes sent as apostrophes), the group
# folder and its links, two servers answering
# (only the first hears more), and no server at all (the bounded wait).
. "$SOURCE_DIR/tests/e2e/lib.sh"
. "$SOURCE_DIR/tools/shelldde/server.sh"
e2e_init group_dde
trap 'stop_shelldde; kill_setup' EXIT

programs="$(_wine_user_dir)/AppData/Roaming/Microsoft/Windows/Start Menu/Programs"
inst="$CASE/Long Install Directory Name"

# product DISK GROUP: one disk with two files, and two items with quotes and
# commas in their names.
product() {
  make_disk "$1"
  touch "$1/Disk1"
  printf 'the program of the group test\n' >"$CASE/app.txt"
  printf 'the documentation of the group test\n' >"$CASE/readme.txt"
  compress "$CASE/app.txt" "$1/APP.TX_"
  compress "$CASE/readme.txt" "$1/README.TX_"
  write_script "$1" <<EOF
[Title]
DlgTitle=Group Test
NumberDisk=1
[SubDir]
NumberDirs=1
Dir1=docs
[Disk1]
NumberFiles=2
file1=3,APP.TX_,app.txt
file2=3,README.TX_,docs\\readme.txt
[WinGroup]
GroupTitle=$2
NumberItem=2
item1=app.txt,The "App", started
item2=docs\\readme.txt,Read me, please
EOF
}

# run DISK [SHOT]: through every page, Next on the group page; screenshots
# SHOT-<page> when SHOT is given.
run() {
  start_setup "$1"
  walk_pages -d "$inst" -g next ${2:+-p "$2"}
}

# expected_text GROUP: what the server must receive.
expected_text() {
  printf '[CreateGroup("%s")]\n[ShowGroup("%s",1)]\n' "$1" "$1"
  printf '[AddItem(%s\\app.txt,"The '"'"'App'"'"', started")]\n' "$short"
  printf '[AddItem(%s\\docs\\readme.txt,"Read me, please")]\n' "$short"
  printf '[ShowGroup("%s",6)]\n' "$1"
}

# link_target LNK: the local path a link points to, as lnkinfo reads it.
link_target() {
  lnkinfo "$1" 2>/dev/null | sed -n 's/^[[:space:]]*Local path[[:space:]]*:[[:space:]]*//p' | head -n 1
}

# same_file WINDOWSPATH LINUXPATH: both name one file.
same_file() {
  local unix
  unix="$(winepath -u "$1" 2>/dev/null | tr -d '\r')"
  [ -n "$unix" ] && [ "$unix" -ef "$2" ]
}

# 1. One server: text, log lines, folder and links.
disk="$CASE/one/disk"
group="Tools 'Best', Ever"
product "$disk" "$group"
mkdir -p "$inst"
short="$(winepath -s "$(winpath "$inst")" 2>/dev/null | tr -d '\r')"
[ -n "$short" ] && [ "$short" != "$(winpath "$inst")" ] || fail "no distinct short form for $inst: [$short]"
start_shelldde "$CASE/one/server.log" || fail "server did not start"
run "$disk" group-dde
wait_setup 60
expect_eq 1 "$SETUP_STATUS" "exit status"
expect_eq "$(expected_text "$group")" "$(cat "$CASE/one/server.log")" "command text received"
# The exact bytes: line feeds only, the last one included.
expect_eq "0a" "$(tail -c 1 "$CASE/one/server.log" | od -An -tx1 | tr -d ' ')" "last byte of the text"
[ "$(od -An -c "$CASE/one/server.log" | grep -c '\\r')" = 0 ] || fail "carriage return in the command text"
expect_log_lines "$inst" '^Icon ' "Icon Group: $group
Icon Name: The 'App', started
Icon Cmd: $short\\app.txt
Icon Group: $group
Icon Name: Read me, please
Icon Cmd: $short\\docs\\readme.txt" "Icon log lines"

folder="$programs/Tools 'Best', Ever"
expect_file "$folder"
expect_file "$folder/The 'App', started.lnk"
expect_file "$folder/Read me, please.lnk"
target="$(link_target "$folder/The 'App', started.lnk")"
same_file "$target" "$inst/app.txt" || fail "first link points to [$target]"
target="$(link_target "$folder/Read me, please.lnk")"
same_file "$target" "$inst/docs/readme.txt" || fail "second link points to [$target]"
lnkinfo "$folder/The 'App', started.lnk" | grep -q "The 'App', started" ||
  fail "first link lacks its description"
stop_shelldde

# 2. Two servers: the first to answer is the partner; the other hears nothing
#    more, its log stays empty.
disk="$CASE/two/disk"
group="Two Servers"
product "$disk" "$group"
start_shelldde "$CASE/two/a.log" || fail "server a did not start"
start_shelldde "$CASE/two/b.log" || fail "server b did not start"
run "$disk"
wait_setup 60
expect_eq 1 "$SETUP_STATUS" "exit status with two servers"
a="$(cat "$CASE/two/a.log")"
b="$(cat "$CASE/two/b.log")"
if [ -n "$a" ]; then got="$a"; other="$b"; else got="$b"; other="$a"; fi
expect_eq "$(expected_text "$group")" "$got" "text received by the partner"
expect_eq "" "$other" "text received by the second server"
expect_file "$programs/$group/The 'App', started.lnk"
stop_shelldde

# 3. No server: the run still ends after the bounded wait, with the log moved.
disk="$CASE/none/disk"
group="No Server"
product "$disk" "$group"
rm -f "$inst/install.log"
run "$disk"
began=$SECONDS
wait_setup 60
took=$((SECONDS - began))
expect_eq 1 "$SETUP_STATUS" "exit status without a server"
[ "$took" -ge 9 ] || fail "the run ended after ${took}s, before the initiate wait was over"
expect_file "$inst/install.log"
expect_no_file "$(temp_dir)/install.log"
log_has "$inst" '^Icon Group: No Server' || fail "no Icon lines without a server"
expect_no_file "$programs/$group"

pass
