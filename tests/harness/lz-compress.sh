#!/usr/bin/env bash
# lz-compress.sh SRC DEST: an LZ-compressed (SZDD) copy of SRC, made with
# setupkit compress, which checks every file it writes by expanding it again.
# setupkit is $SETUPKIT when set, else $BUILD_DIR/setupkit, else the
# checkout's build/setupkit, else the one on PATH.
set -u
src="$1" dest="$2"
here="$(cd "$(dirname "$0")" && pwd)"
setupkit="${SETUPKIT:-}"
for candidate in "${BUILD_DIR:+$BUILD_DIR/setupkit}" "$here/../../build/setupkit" "$(command -v setupkit)"; do
  [ -n "$setupkit" ] && break
  [ -n "$candidate" ] && [ -x "$candidate" ] && setupkit="$candidate"
done
[ -n "$setupkit" ] || { echo "lz-compress: no setupkit (make build)" >&2; exit 1; }
[ -f "$src" ] || { echo "lz-compress: no file $src" >&2; exit 1; }
"$setupkit" compress "$src" -o "$dest" >/dev/null || { echo "lz-compress: could not compress $src" >&2; exit 1; }
