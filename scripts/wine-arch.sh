#!/usr/bin/env bash
# Prints the Wine prefix architecture that runs here: win32 where the machine
# executes 32-bit x86 code natively, win64 where it does not (a kernel without
# IA-32 emulation). There only 64-bit Wine starts, and the tests run an
# x86_64 build of the programs. The probe is a 93-byte 32-bit ELF that exits 0.
# A 32-bit handler registered with binfmt_misc (an emulator) counts as no.
set -u
probe="$(mktemp)"
trap 'rm -f "$probe"' EXIT
echo 'f0VMRgEBAQAAAAAAAAAAAAIAAwABAAAAVIAECDQAAAAAAAAAAAAAADQAIAABAAAAAAAAAAEAAAAAAAAAAIAECACABAhdAAAAXQAAAAUAAAAAEAAAuAEAAAAx282A' |
  base64 -d >"$probe"
chmod +x "$probe"
emulated=no
for handler in /proc/sys/fs/binfmt_misc/*; do
  [ -f "$handler" ] && grep -q '^enabled' "$handler" 2>/dev/null &&
    grep -q '^magic 7f454c46010101' "$handler" 2>/dev/null && emulated=yes
done
if [ "$emulated" = no ] && "$probe" 2>/dev/null; then echo win32; else echo win64; fi
