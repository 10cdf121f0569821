#!/usr/bin/env bash
# Makes a fresh 32-bit Wine prefix for one test run: one virtual desktop of
# 1024x768 (so windows can be maximised and every program shares one desktop)
# and free fonts standing in for Times New Roman and MS Sans Serif.
set -eu
: "${BUILD_DIR:?}"
. "$(dirname "$0")/wine-env.sh"
rm -rf "$WINEPREFIX"
mkdir -p "$WINEPREFIX"
timeout 120 wineboot -i >/dev/null 2>&1
reg() { timeout 60 wine reg add "$@" /f >/dev/null 2>&1; }
reg 'HKCU\Software\Wine\Explorer' /v Desktop /d Default
reg 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768
reg 'HKCU\Software\Wine\Fonts\Replacements' /v 'Times New Roman' /d 'Liberation Serif'
reg 'HKCU\Software\Wine\Fonts\Replacements' /v 'MS Sans Serif' /d 'Liberation Sans'
# No crash dialogs: a crashing program must end, not wait for a click.
reg 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0
timeout 60 wineserver -w || true
