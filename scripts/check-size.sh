#!/usr/bin/env bash
# SETUP.EXE and UNINST.EXE, as shipped (the i686 build), each at most
# 49,152 bytes (48 KB): a program that passes it fails. Prints each size
# and what is left.
# Usage: check-size.sh BUILD_DIR [LIMIT]
# BUILD_DIR is the i686 build or its x86_64 build (build/win64), whose
# shipped programs are the i686 ones beside it, as in check-imports.sh.
set -u
dir="$(cd "${1:?build directory}" && pwd)"
limit="${2:-49152}"
[ "$(basename "$dir")" = win64 ] && dir="$(dirname "$dir")"

status=0
for program in SETUP.EXE UNINST.EXE; do
  image="$dir/$program"
  if [ ! -f "$image" ]; then
    echo "check-size: missing $image" >&2
    status=1
    continue
  fi
  format="$(objdump -f "$image" | sed -n 's/.*file format //p')"
  if [ "$format" != pei-i386 ]; then
    echo "check-size: $image is $format, not the shipped i686 program" >&2
    status=1
    continue
  fi
  size=$(stat -c %s "$image")
  if [ "$size" -gt "$limit" ]; then
    echo "check-size: $image: $size bytes, over the limit of $limit by $((size - limit))" >&2
    status=1
  else
    echo "$image: $size bytes ($((limit - size)) below $limit)"
  fi
done
exit $status
