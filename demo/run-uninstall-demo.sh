#!/usr/bin/env bash
# The uninstall part of the demonstration, run by run-demo.sh in its Wine
# session after the installation: shows the product in Wine's list of
# installed programs, removes it through that list as a user would, and
# prints what is left.
#
#   demo/run-uninstall-demo.sh BUILD TITLE INSTALLDIR
#
# WINEPREFIX and DISPLAY come from the caller's session; the shell server
# should still be running, so that the program group goes too. With
# DEMO_INTERACTIVE=1 a person clicks; otherwise the UI driver does and saves
# screenshots as BUILD/screens/demo-7-*.png.
set -u
BUILD="$(cd "${1:?usage: run-uninstall-demo.sh BUILD TITLE INSTALLDIR}" && pwd)"
title="${2:?title}"
inst="${3:?install directory}"
: "${WINEPREFIX:?}" "${DISPLAY:?}"
interactive="${DEMO_INTERACTIVE:-0}"
screens="$BUILD/screens"
DRIVE_C="$WINEPREFIX/drive_c"

say() { printf '%s\n' "$*"; }
ui() { wine "$BUILD/tests/uidriver.exe" "$@" </dev/null 2>&1 | tr -d '\r'; return "${PIPESTATUS[0]}"; }
shot() {
  import -window root -display "$DISPLAY" -crop 1024x768+0+0 +repage "$screens/demo-$1.png" ||
    say "(screenshot $1 failed)"
}
listed() { wine uninstaller --list 2>/dev/null | tr -d '\r'; }
# The remover runs as ~uninst<pid>.exe; only this prefix's processes count.
remover_running() {
  local pid
  for pid in $(pgrep -f 'uninst[0-9]+\.exe' 2>/dev/null); do
    tr '\0' '\n' 2>/dev/null <"/proc/$pid/environ" | grep -qxF "WINEPREFIX=$WINEPREFIX" && return 0
  done
  return 1
}

say ""
say "Wine's list of installed programs (wine uninstaller --list):"
listed | sed 's/^/  /'
entry="$(listed | grep -F "|||$title" | head -n 1)"
if [ -z "$entry" ]; then
  say "  ($title is not in the list: its product was packed without --uninstaller)"
  exit 0
fi
key="${entry%%|||*}"

user="${USER:-$(id -un)}"
[ -d "$DRIVE_C/users/$user" ] || user="$(ls "$DRIVE_C/users" | grep -v -x -e Public | head -n 1)"
temp="$DRIVE_C/users/$user/Temp"
programs="$DRIVE_C/users/$user/AppData/Roaming/Microsoft/Windows/Start Menu/Programs"
rm -f "$temp/uninstall.log"

say ""
say "Removing $title through that list (wine uninstaller --remove \"$key\") ..."
(exec wine uninstaller --remove "$key") >"$BUILD/demo/uninstaller.out" 2>&1 </dev/null &
remove_pid=$!
if [ "$interactive" = 1 ]; then
  say "Press Remove on the uninstaller's page, then OK on its closing message."
  limit=1800
else
  ui wait-background 30000 -- wait-page welcome 30000 >/dev/null || say "(no confirmation page)"
  shot 7-uninstall-confirm
  ui wait-page welcome -- click 1 -- wait-msgbox Uninstall 60000 >/dev/null ||
    say "(no closing message)"
  shot 7-uninstall-done
  ui wait-msgbox Uninstall -- click 1 >/dev/null
  limit=120
fi
waited=0
while kill -0 "$remove_pid" 2>/dev/null || remover_running; do
  [ "$waited" -ge $((limit * 10)) ] && { say "the uninstaller did not end within ${limit}s"; break; }
  sleep 0.1
  waited=$((waited + 1))
done
wait "$remove_pid" 2>/dev/null

say ""
say "The uninstaller's report ($temp/uninstall.log):"
if [ -f "$temp/uninstall.log" ]; then
  tr -d '\r' <"$temp/uninstall.log" | sed 's/^/  /'
else
  say "  (none)"
fi
say ""
say "What is left:"
if [ -e "$inst" ]; then
  say "  $inst:"
  (cd "$inst" && find . -mindepth 1 | sort | sed 's/^\.\//    /')
else
  say "  $inst: gone"
fi
if [ -e "$programs/$title" ]; then say "  program group $title: still there"; else say "  program group $title: gone"; fi
if wine reg query "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$key" >/dev/null 2>&1; then
  say "  Uninstall registry key: still there"
else
  say "  Uninstall registry key: gone"
fi
# The keys above the product's own: the setup may have made them, but the log
# names only the keys that hold values, so empty parents stay.
for parent in "HKLM\\Software\\$title" "HKCU\\Software\\$title"; do
  wine reg query "$parent" >/dev/null 2>&1 && say "  registry key $parent: still there: the log names only the keys below it"
done
say "  Wine's list of installed programs now:"
listed | sed 's/^/    /'
exit 0
