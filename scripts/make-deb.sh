#!/usr/bin/env bash
# Builds the Debian package setupkit_<version>_<arch>.deb from what
# `cmake --install` puts under /usr: setupkit (stripped), the programs it
# ships, its man page (compressed) and documentation, with the copyright and
# changelog Debian asks for. Depends come from the shared libraries setupkit
# links (dpkg-shlibdeps); the programs it runs are Recommends.
# Usage: make-deb.sh HOST_BUILD OUT_DIR
set -eu
host="$(cd "${1:?host build directory}" && pwd)"
out="$(cd "${2:?output directory}" && pwd)"
source_dir="$(cd "$(dirname "$0")/.." && pwd)"
maintainer="${DEB_MAINTAINER:-SETUP.EXE project <setup-exe@example.org>}"

stage="$(mktemp -d)"
trap 'rm -rf "$stage"' EXIT
root="$stage/root"
DESTDIR="$root" cmake --install "$host" --prefix /usr --strip >/dev/null
version="$("$root/usr/bin/setupkit" --version | sed -n 's/^setupkit //p')"
[ -n "$version" ] || { echo "make-deb: setupkit --version printed no version" >&2; exit 1; }
arch="$(dpkg --print-architecture)"
# The package's dates: the last commit's, so that a rebuild gives the same package.
export SOURCE_DATE_EPOCH="${SOURCE_DATE_EPOCH:-$(git -C "$source_dir" log -1 --format=%ct 2>/dev/null || date +%s)}"

doc="$root/usr/share/doc/setupkit"
find "$root/usr/share/man" -type f -name '*.[0-9]' -exec gzip -9n {} +
cat >"$doc/copyright" <<COPYRIGHT
Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/
Upstream-Name: setupkit
Comment: setupkit and the programs it ships (SETUP.EXE, UNINST.EXE,
 WEBSTUB.EXE) are built from one source tree, the SETUP.EXE project.

Files: *
Copyright: the SETUP.EXE project
License: free-software
 The programs' version records call them free software; the source tree
 names no particular licence.
COPYRIGHT
{
  echo "setupkit ($version) unstable; urgency=medium"
  echo
  echo "  * setupkit $version, built from the SETUP.EXE project's sources."
  echo
  echo " -- $maintainer  $(date -u -R -d "@$SOURCE_DATE_EPOCH")"
} | gzip -9n >"$doc/changelog.gz"

mkdir -p "$stage/debian" "$root/DEBIAN"
printf 'Source: setupkit\n\nPackage: setupkit\nArchitecture: any\n' >"$stage/debian/control"
depends="$(cd "$stage" && dpkg-shlibdeps -O -e root/usr/bin/setupkit | sed -n 's/^shlibs:Depends=//p')"
[ -n "$depends" ] || { echo "make-deb: dpkg-shlibdeps found no dependencies" >&2; exit 1; }
find "$root" -type d -exec chmod 0755 {} +
find "$root/usr" -type f -exec chmod 0644 {} +
chmod 0755 "$root/usr/bin/setupkit"
(cd "$root" && find usr -type f | LC_ALL=C sort | xargs md5sum) >"$root/DEBIAN/md5sums"
chmod 0644 "$root/DEBIAN/md5sums"
cat >"$root/DEBIAN/control" <<CONTROL
Package: setupkit
Version: $version
Architecture: $arch
Maintainer: $maintainer
Installed-Size: $(du -sk --exclude=DEBIAN "$root" | cut -f1)
Depends: $depends
Recommends: osslsigncode, xorriso, mtools
Section: devel
Priority: optional
Description: makes distribution media for a Windows setup program
 setupkit turns a product folder and a short authoring file into the media
 a vendor ships: numbered floppy disks and their images, a CD and its ISO
 image, or one self-extracting program to download. Each is installed by
 SETUP.EXE, a setup program for every 32-bit Windows from 95 and NT 4.0 on,
 which the package carries with its uninstaller. setupkit also checks setup
 scripts, signs the programs with Authenticode (through osslsigncode) and
 compresses and expands files in the format Windows expands.
CONTROL
package="$out/setupkit_${version}_${arch}.deb"
dpkg-deb --root-owner-group -Zxz --build "$root" "$package" >/dev/null
echo "$package"
