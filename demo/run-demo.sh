#!/usr/bin/env bash
# The demonstration: installs the sample product of demo/product from two
# disks with SETUP.EXE under Wine, with our shell DDE server creating the
# program group.
#
#   demo/run-demo.sh BUILD
#
# With DISPLAY set, a person clicks through the pages; the script says when
# to "insert" disk 2. Without DISPLAY it starts Xvfb, goes through every page
# with the UI driver and saves a screenshot of each step as
# BUILD/screens/demo-*.png. The disks and their floppy images are made with
# setupkit pack first. Either way it ends by showing what was installed,
# and leaves nothing running. It builds nothing: `make demo` builds first.
set -u
BUILD="$(cd "${1:?usage: demo/run-demo.sh BUILD}" && pwd)"
here="$(cd "$(dirname "$0")" && pwd)"
source_dir="$(cd "$here/.." && pwd)"
product="$here/product"
DEMO="$BUILD/demo"
screens="$BUILD/screens"

for f in SETUP.EXE setupkit tools/shelldde/shelldde.exe tests/uidriver.exe; do
  [ -f "$BUILD/$f" ] || { echo "run-demo: $BUILD/$f is missing; run 'make build' first" >&2; exit 1; }
done

interactive=1
[ -z "${DISPLAY:-}" ] && interactive=0

setup_pid="" server_pid=""
. "$source_dir/tests/harness/session.sh"
stop_pid() {
  local pid="$1"
  [ -n "$pid" ] || return 0
  if kill -0 "$pid" 2>/dev/null; then
    kill "$pid" 2>/dev/null
    sleep 0.3
    kill -9 "$pid" 2>/dev/null
  fi
  wait "$pid" 2>/dev/null
}
cleanup() {
  stop_pid "$setup_pid"
  stop_pid "$server_pid"
  stop_session
}
trap cleanup EXIT
trap 'exit 130' INT TERM

say() { printf '%s\n' "$*"; }
die() { say "run-demo: $*" >&2; exit 1; }

rm -rf "$DEMO"
mkdir -p "$DEMO" "$screens"
rm -f "$screens"/demo-*.png

# A prefix of its own, made as the test harness makes one (a 1024x768
# virtual desktop, free fonts); never the caller's own WINEPREFIX.
export BUILD_DIR="$DEMO"
export WINEPREFIX="$DEMO/wineprefix"
start_display || die "could not start Xvfb"
say "Making a Wine prefix in $WINEPREFIX ..."
start_wine || die "could not make the Wine prefix"

# A throwaway certificate authority and a code-signing certificate from it,
# made for this run only: the programs are signed as a vendor's would be, but
# no Windows trusts this authority.
keys="$DEMO/keys"
make_demo_keys() {
  mkdir -p "$keys" && cd "$keys" || return 1
  printf '%s\n' '[req]' 'distinguished_name=dn' '[dn]' '[ca]' 'basicConstraints=critical,CA:true' \
    'keyUsage=critical,keyCertSign' '[code]' 'basicConstraints=CA:false' \
    'keyUsage=critical,digitalSignature' 'extendedKeyUsage=codeSigning' >ext.cnf
  openssl req -x509 -newkey rsa:2048 -nodes -keyout ca.key -out ca.pem -days 1 \
    -subj "/CN=Demo Throwaway CA" -config ext.cnf -extensions ca &&
    openssl req -newkey rsa:2048 -nodes -keyout code.key -out code.csr -subj "/CN=Demo Vendor" &&
    openssl x509 -req -in code.csr -CA ca.pem -CAkey ca.key -set_serial 1 -days 1 -out code.pem \
      -extfile ext.cnf -extensions code
}
signed=0
if command -v openssl >/dev/null && command -v osslsigncode >/dev/null; then
  (make_demo_keys) >"$DEMO/keys.log" 2>&1 && signed=1
fi

# The disks, made by setupkit from demo/product and its authoring file:
# disk1/ (SETUP.EXE, setup.in_, Disk1 and the first files), disk2/, and a
# floppy image of each. With UNINST.EXE built, the product gets its
# uninstaller too.
packed="$DEMO/disks"
pack_args=(--images --setup-exe "$BUILD/SETUP.EXE")
[ -f "$BUILD/UNINST.EXE" ] && pack_args+=(--uninstaller --uninst-exe "$BUILD/UNINST.EXE")
if [ "$signed" = 1 ]; then
  say "Signing SETUP.EXE and UNINST.EXE with a throwaway certificate (CN=Demo Vendor, issued by"
  say "CN=Demo Throwaway CA, made in $keys for this demo only; no Windows trusts it)."
  pack_args+=(--sign-cert "$keys/code.pem" --sign-key "$keys/code.key")
else
  say "The programs are not signed: openssl or osslsigncode is missing (make deps installs them)."
fi
say "Packing $product with setupkit pack ${pack_args[*]} ..."
"$BUILD/setupkit" pack "$product/setup.auth" "$product" -o "$packed" "${pack_args[@]}" |
  sed 's/^/  /'
[ "${PIPESTATUS[0]}" = 0 ] || die "setupkit pack failed"
for image in "$packed"/disk*.img; do
  say "  $(basename "$image"):"
  MTOOLS_SKIP_CHECK=1 mdir -i "$image" :: 2>/dev/null | sed -n 's/^/    /;/^    Directory/d;/^ *$/d;p'
done
if [ "$signed" = 1 ]; then
  say "  The signature of disk1/SETUP.EXE (osslsigncode verify, trusting the throwaway CA):"
  osslsigncode verify -CAfile "$keys/ca.pem" -in "$packed/disk1/SETUP.EXE" 2>&1 |
    grep -E 'Subject:|Text description|Signing time|Signature verification' | awk '!seen[$0]++' |
    sed 's/^[[:space:]]*/    /'
fi

# All disks share the program's directory, as on a drive: disk 1 is put
# in now; disk 2 is "inserted" by copying its files (and its tag) over.
disk="$DRIVE_C/DemoDisk"
mkdir -p "$disk"
cp "$packed"/disk1/* "$disk/"
insert_disk2() { cp "$packed"/disk2/* "$disk/"; }
say "Disk 1 is in $disk."

server_log="$DEMO/shelldde.log"
: >"$server_log"
wine "$BUILD/tools/shelldde/shelldde.exe" /log "$(winepath -w "$server_log" | tr -d '\r')" \
  /ready "$(winepath -w "$DEMO/shelldde.ready" | tr -d '\r')" /timeout 1800 \
  >"$DEMO/shelldde.out" 2>&1 </dev/null &
server_pid=$!
for _ in $(seq 100); do [ -e "$DEMO/shelldde.ready" ] && break; sleep 0.1; done
[ -e "$DEMO/shelldde.ready" ] || die "the shell DDE server did not start"

ui() { wine "$BUILD/tests/uidriver.exe" "$@" </dev/null 2>&1 | tr -d '\r'; return "${PIPESTATUS[0]}"; }
shot() {
  import -window root -display "$DISPLAY" -crop 1024x768+0+0 +repage "$screens/demo-$1.png" ||
    say "(screenshot $1 failed)"
}

(cd "$disk" && exec wine "$disk/SETUP.EXE") >"$DEMO/setup.out" 2>&1 </dev/null &
setup_pid=$!

if [ "$interactive" = 1 ]; then
  say ""
  say "SETUP.EXE is running in Wine's virtual desktop. Please:"
  say "  1. press Next on the welcome page;"
  say "  2. accept or change the install directory and press Next;"
  say "  3. when Setup asks for disk 2, come back here."
  # Watch for the prompt for as long as Setup runs (it may be cancelled).
  prompted=0
  while kill -0 "$setup_pid" 2>/dev/null; do
    if ui wait-msgbox "New Disk Needed" 3000 >/dev/null; then prompted=1; break; fi
  done
  if [ "$prompted" = 1 ]; then
    say ""
    read -r -p "Setup asks for disk 2. Insert disk 2: press Enter here. " _ </dev/tty
    insert_disk2
    say "Disk 2 is in. Now click OK in the prompt, confirm the group name with Next,"
    say "and wait for Setup to finish."
  fi
  limit=1800
else
  step() { ui "$@" >/dev/null || die "UI step failed: $*"; }
  step wait-background 30000 -- wait-page welcome 30000
  shot 1-welcome
  step wait-page welcome -- click 1 -- wait-page directory 10000
  shot 2-directory
  step wait-page directory -- click 1 -- wait-msgbox "New Disk Needed" 60000
  shot 3-disk-prompt
  insert_disk2
  step wait-msgbox "New Disk Needed" -- click 1 -- wait-page group 60000
  shot 4-group
  step wait-page group -- click 1 -- wait-page wait 10000
  shot 5-wait
  limit=120
fi

waited=0
while kill -0 "$setup_pid" 2>/dev/null; do
  [ "$waited" -ge $((limit * 10)) ] && die "SETUP.EXE did not end within ${limit}s"
  sleep 0.1
  waited=$((waited + 1))
done
wait "$setup_pid"
status=$?
setup_pid=""
[ "$interactive" = 0 ] && shot 6-done

# What the run left behind.
inst="$DRIVE_C/Program Files/Demo Product"
if [ ! -f "$inst/install.log" ]; then
  # Another directory was chosen: find the log the run moved there.
  found="$(find "$DRIVE_C" -name install.log -newer "$disk/Disk1" 2>/dev/null | head -n 1)"
  [ -n "$found" ] && inst="$(dirname "$found")"
fi
user="${USER:-$(id -un)}"
[ -d "$DRIVE_C/users/$user" ] || user="$(ls "$DRIVE_C/users" | grep -v -x -e Public | head -n 1)"
programs="$DRIVE_C/users/$user/AppData/Roaming/Microsoft/Windows/Start Menu/Programs"

say ""
say "SETUP.EXE ended with status $status."
say ""
say "Installed files, in $inst:"
(cd "$inst" 2>/dev/null && find . -type f | sort | sed 's/^\.\//  /')
say ""
say "install.log, first and last lines ($inst/install.log):"
if [ -f "$inst/install.log" ]; then
  tr -d '\r' <"$inst/install.log" | head -n 6 | sed 's/^/  /'
  say "  ..."
  tr -d '\r' <"$inst/install.log" | tail -n 6 | sed 's/^/  /'
else
  say "  (none)"
fi
say ""
say "Registry values (wine reg query):"
for key in 'HKLM\Software\Demo Product\Setup' 'HKCU\Software\Demo Product\Settings'; do
  wine reg query "$key" 2>/dev/null | tr -d '\r' | grep -v '^$' | sed 's/^/  /'
done
say ""
say "win.ini entries ($WINEPREFIX/drive_c/windows/win.ini):"
tr -d '\r' <"$DRIVE_C/windows/win.ini" 2>/dev/null | sed -n '/^\[Demo Product\]$/,/^\[/p' |
  grep -v '^$' | sed 's/^/  /'
say ""
say "Program group and links ($programs/Demo Product):"
for link in "$programs/Demo Product"/*.lnk; do
  [ -e "$link" ] || { say "  (none)"; break; }
  target="$(lnkinfo "$link" 2>/dev/null | sed -n 's/^[[:space:]]*Local path[[:space:]]*:[[:space:]]*//p' | head -n 1)"
  say "  $(basename "$link") -> $target"
done
say ""
say "Commands the shell server received ($server_log):"
sed 's/^/  /' "$server_log"
if [ "$signed" = 1 ] && [ -f "$inst/UNINST.EXE" ]; then
  say ""
  say "The installed UNINST.EXE carries its signature: $(osslsigncode verify -CAfile "$keys/ca.pem" \
    -in "$inst/UNINST.EXE" 2>&1 | grep -m 1 'Signature verification' | sed 's/^[[:space:]]*//')"
fi
# A product packed with its uninstaller is then removed again.
[ -f "$inst/UNINST.EXE" ] &&
  DEMO_INTERACTIVE=$interactive "$here/run-uninstall-demo.sh" "$BUILD" "Demo Product" "$inst"
[ "$interactive" = 0 ] && { say ""; say "Screenshots: $screens/demo-*.png"; }
exit 0
