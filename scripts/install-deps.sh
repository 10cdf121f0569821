#!/usr/bin/env bash
# Installs the Debian packages given as arguments, as root, only when one is
# missing: nothing is touched (no apt-get update either) when all are there.
# Adds the i386 architecture when a package asks for it (wine32:i386).
set -eu
missing=()
for package in "$@"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' ||
    missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0
if [ "$(id -u)" -ne 0 ]; then
  echo "missing packages (run as root to install): ${missing[*]}" >&2
  exit 1
fi
echo "Installing: ${missing[*]}"
if [[ " ${missing[*]}" == *:i386* ]]; then
  dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386
fi
apt-get update -qq
DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
