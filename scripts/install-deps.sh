#!/usr/bin/env bash
# Installs the Debian packages given as arguments, as root, only when one is
# missing. Adds the i386 architecture for wine32 and runs apt-get update only
# when something has to be installed.
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
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
  rm -f /var/lib/apt/lists/lock.updated
fi
# Update the package lists once, or after the architecture was added.
if [ ! -e /var/lib/apt/lists/lock.updated ] || [ -z "$(ls /var/lib/apt/lists/*i386_Packages* 2>/dev/null)" ]; then
  apt-get update -qq
  touch /var/lib/apt/lists/lock.updated
fi
DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
