#!/usr/bin/env bash
# Disks: the prompt for a missing disk, OK while it is still missing, Cancel,
# a missing first disk, no disks at all, and an install directory that cannot
# be made.
. "$SOURCE_DIR/tests/e2e/lib.sh"
e2e_init transfer_disks

# A product of two disks in one source directory, one file on each.
product() {
  local disk="$1" disks="$2"
  make_disk "$disk"
  printf 'first disk file\n' >"$CASE/one.txt"
  printf 'second disk file\n' >"$CASE/two.txt"
  compress "$CASE/one.txt" "$disk/ONE.TX_"
  compress "$CASE/two.txt" "$disk/TWO.TX_"
  write_script "$disk" <<EOF
[Title]
DlgTitle=Disk Test
NumberDisk=$disks
[Disk1]
NumberFiles=1
file1=3,ONE.TX_,one.txt
[Disk2]
NumberFiles=1
file1=3,TWO.TX_,two.txt
EOF
}

# 1. The second disk arrives after the prompt; OK before that asks again.
disk="$CASE/ok/disk"; inst="$CASE/ok/inst"
product "$disk" 2
touch "$disk/Disk1"
start_setup "$disk"
walk_pages -d "$inst" -s next
ui wait-msgbox "New Disk Needed" 20000 -- expect-text 65535 "Please insert disk #2"
shot disk-prompt
cmp -s "$CASE/one.txt" "$inst/one.txt" || fail "disk 1 not copied before the prompt for disk 2"
expect_no_file "$inst/two.txt"
bar="$(ui wait-page progress -- progress)"
expect_eq "10 0 30" "$bar" "progress (pos min max) while disk 2 is asked for"
ui wait-msgbox "New Disk Needed" -- click 1
sleep 1
ui wait-msgbox "New Disk Needed" -- expect-text 65535 "Please insert disk #2"
touch "$disk/Disk2"
ui wait-msgbox "New Disk Needed" -- click 1 -- wait-page group 20000 -- click 2
wait_setup 60
expect_eq 1 "$SETUP_STATUS" "exit status"
cmp -s "$CASE/two.txt" "$inst/two.txt" || fail "disk 2 not copied after the tag appeared"
expect_file "$inst/install.log"
log_has "$inst" "File Copy: .*two.txt" || fail "no log line for two.txt"

# 2. Cancel at the prompt ends the run; what was copied stays.
disk="$CASE/cancel/disk"; inst="$CASE/cancel/inst"
product "$disk" 2
touch "$disk/Disk1"
start_setup "$disk"
walk_pages -d "$inst" -s next
ui wait-msgbox "New Disk Needed" 20000 -- expect-text 65535 "Please insert disk #2" -- click 2
wait_setup 30
expect_eq 1 "$SETUP_STATUS" "exit status after Cancel"
cmp -s "$CASE/one.txt" "$inst/one.txt" || fail "disk 1 file gone after Cancel"
expect_no_file "$inst/two.txt"
expect_file "$inst/install.log"

# 3. Without the Disk1 tag, disk 1 is asked for before anything is copied.
disk="$CASE/first/disk"; inst="$CASE/first/inst"
product "$disk" 2
start_setup "$disk"
walk_pages -d "$inst" -s next
ui wait-msgbox "New Disk Needed" 20000 -- expect-text 65535 "Please insert disk #1"
[ -z "$(ls "$inst")" ] || fail "files copied before disk 1 was there: $(ls "$inst")"
ui wait-msgbox "New Disk Needed" -- click 2
wait_setup 30
expect_eq 1 "$SETUP_STATUS" "exit status after Cancel on disk 1"
expect_no_file "$inst/one.txt"
log_has "$inst" "File Copy" && fail "a file was copied without disk 1"

# 4. NumberDisk 0: no prompt, nothing copied, straight on to the group page.
disk="$CASE/none/disk"; inst="$CASE/none/inst"
product "$disk" 0
start_setup "$disk"
walk_pages -d "$inst" -t 20000 -g cancel
wait_setup 30
expect_no_file "$inst/one.txt"
expect_no_file "$inst/two.txt"
log_has "$inst" "File Copy" && fail "files copied with no disks"

# 5. An install directory that cannot be made (a file stands where its
#    parent must go): no disk prompt, nothing copied, and the log stays in
#    the temporary directory.
disk="$CASE/parent/disk"; inst="$CASE/parent/missing/inst"
product "$disk" 2
printf 'a file\n' >"$CASE/parent/missing"
rm -f "$(temp_dir)/install.log"
start_setup "$disk"
walk_pages -d "$inst" -s next -- wait-msgbox Setup 20000 -- click 1
wait_setup 30
expect_eq 1 "$SETUP_STATUS" "exit status with a parent that cannot be made"
[ -f "$CASE/parent/missing" ] || fail "the file in the way was changed"
expect_file "$(temp_dir)/install.log"
log_has "$(temp_dir)" "Disk Test" || fail "the log in %TEMP% is not this run's"
log_has "$(temp_dir)" "File Copy" && fail "a file was copied with a parent that cannot be made"
rm -f "$(temp_dir)/install.log"

pass
