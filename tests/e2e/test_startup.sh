#!/usr/bin/env bash
# Start-up: the background and the welcome page come up with and without a
# setup script, Cancel ends the run with status 1 and removes the expanded
# script, and the 3D-controls library is optional.
. "$SOURCE_DIR/tests/e2e/lib.sh"
e2e_init startup
temp="$(temp_dir)"
library="$(system_dir)/ctl3d32.dll"
saved="$CASE/ctl3d32.dll.saved"
restore_library() { kill_setup; [ -e "$saved" ] && mv -f "$saved" "$library"; }
trap restore_library EXIT

# Cancel on the welcome page; $1 names the case and its screenshot.
cancel_run() {
  start_setup "$disk"
  ui wait-background -- wait-page welcome
  shot "$1"
  ui click 2 -- wait-gone welcome
  wait_setup 30
  expect_eq 1 "$SETUP_STATUS" "$1: exit status"
  expect_no_file "$temp/setup.inf"
  expect_no_file "$temp/install.log"
}

disk="$CASE/disk"
make_disk "$disk"
write_script "$disk" <<'INF'
[Title]
DlgTitle=Startup Product
InstalDir=C:\StartupProduct
NumberDisk=0
INF
cancel_run startup-script
expect_no_file "$DRIVE_C/StartupProduct"

# No setup.in_: the run still shows its pages, with an empty title, also
# when a run that never ended left its expanded script in the temp directory.
disk="$CASE/bare"
make_disk "$disk"
printf '[Title]\r\nDlgTitle=Stale\r\n' > "$temp/setup.inf"
start_setup "$disk"
ui wait-background -- wait-page welcome -- \
  expect-text 11 'Welcome to  Setup.\n\nSetup will install the  files to your system.'
shot startup-no-script
ui click 2 -- wait-gone welcome
wait_setup 30
expect_eq 1 "$SETUP_STATUS" "no script: exit status"
expect_no_file "$temp/setup.inf"

# No ctl3d32.dll in the system directory and no ctl3d32.dl_ on the disk.
mv "$library" "$saved"
disk="$CASE/disk"
cancel_run startup-no-ctl3d
expect_no_file "$library"

# A ctl3d32.dl_ beside SETUP.EXE is expanded into the system directory.
compress "$saved" "$disk/ctl3d32.dl_"
cancel_run startup-ctl3d-packed
expect_file "$library"
cmp -s "$saved" "$library" || fail "ctl3d32.dll differs from the expanded ctl3d32.dl_"
pass
