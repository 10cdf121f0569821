#!/usr/bin/env bash
# setupkit pack against mscompress: the benchmark product (the files of
# make-product.py) packed onto 1.44M disks by one `setupkit pack`, against
# compressing the same files one by one with mscompress, as a vendor did
# before. Prints wall time and total compressed bytes of each. Host only.
#
# usage: bench/bench-pack.sh BUILD_DIR PRODUCT_DATA_DIR
#   PRODUCT_DATA_DIR: make-product.py's output (with listing.txt)
set -u
BUILD_DIR="$(cd "${1:?build directory}" && pwd)"
data="$(cd "${2:?product data directory}" && pwd)"
setupkit="$BUILD_DIR/setupkit"
work="$BUILD_DIR/bench/pack"
[ -x "$setupkit" ] || { echo "bench-pack: $setupkit is missing; run 'make build'" >&2; exit 1; }
[ -f "$BUILD_DIR/SETUP.EXE" ] || { echo "bench-pack: $BUILD_DIR/SETUP.EXE is missing" >&2; exit 1; }
rm -rf "$work"
mkdir -p "$work/ms"

# The authoring file: every file of the listing into its sub-directory.
{
  echo "[Title]"
  echo "DlgTitle=Pack Benchmark"
  echo "InstalDir=C:\\PACKBENCH"
  echo "[SubDir]"
  cut -d/ -f1 "$data/listing.txt" | sort -u
  echo "[Files]"
  sed 's|^\(.*\)/\(.*\)$|3,\1/\2,\1\\\2|' "$data/listing.txt"
} >"$work/bench.auth"

now() { date +%s.%N; }
files="$(wc -l <"$data/listing.txt")"
expanded="$(cd "$data" && xargs -d "\n" stat -c %s <listing.txt | awk '{s += $1} END {print s}')"

start="$(now)"
"$setupkit" pack "$work/bench.auth" "$data" -o "$work/disks" >"$work/pack.out" || {
  cat "$work/pack.out"; exit 1; }
pack_time="$(echo "$(now) - $start" | bc)"
pack_bytes="$(cat "$work"/disks/disk*/*_ | wc -c)"
disks="$(ls -d "$work"/disks/disk* | wc -l)"

ms_time="-" ms_bytes="-"
if command -v mscompress >/dev/null; then
  start="$(now)"
  while read -r entry; do
    cp "$data/$entry" "$work/ms/x"
    mscompress "$work/ms/x" >/dev/null 2>&1
    stat -c %s "$work/ms/x_" >>"$work/ms/sizes"
    rm -f "$work/ms/x" "$work/ms/x_"
  done <"$data/listing.txt"
  ms_time="$(echo "$(now) - $start" | bc)"
  ms_bytes="$(awk '{s += $1} END {print s}' "$work/ms/sizes")"
fi

echo "== setupkit pack vs mscompress one by one ($files files, $expanded bytes expanded)"
printf '   %-34s %10s %14s\n' "" "seconds" "compressed"
printf '   %-34s %10.2f %14s\n' "setupkit pack ($disks disks, 1.44M)" "$pack_time" "$pack_bytes"
if [ "$ms_time" != "-" ]; then
  printf '   %-34s %10.2f %14s\n' "mscompress, file by file" "$ms_time" "$ms_bytes"
  awk -v p="$pack_time" -v m="$ms_time" -v pb="$pack_bytes" -v mb="$ms_bytes" 'BEGIN {
    printf "   speed-up %.1fx, size %.1f%% of mscompress (pack also lays out the disks)\n",
      (p > 0 ? m / p : 0), (mb > 0 ? 100 * pb / mb : 0) }'
fi
