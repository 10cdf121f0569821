#!/usr/bin/env bash
# Runs every fuzz target of the host sanitizer build for SECONDS each and
# fails when any of them found a crash, a leak or a sanitizer report.
# Usage: run-all.sh ASAN_BUILD_DIR SECONDS
set -u
build="$1" seconds="$2"
here="$(cd "$(dirname "$0")" && pwd)"
failed=0 ran=0
for binary in "$build"/fuzz_*; do
  [ -x "$binary" ] && [ -f "$binary" ] || continue
  echo "== $(basename "$binary") for ${seconds}s"
  ran=$((ran + 1))
  bash "$here/run-fuzz.sh" "$binary" "$seconds" || { echo "FAILED $(basename "$binary")"; failed=1; }
done
# No target at all is a broken build or path, not a pass.
[ "$ran" -gt 0 ] || { echo "no fuzz targets in $build"; exit 1; }
echo "fuzz: $ran targets, $([ $failed = 0 ] && echo "all passed" || echo "some FAILED")"
exit $failed
