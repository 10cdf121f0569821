#!/usr/bin/env bash
# Benchmarks. The LZ one (bench/bench-lz.sh): setupkit compress and expand
# against mscompress, msexpand and lz32. The transfer one: SETUP.EXE installs a product of 1000 LZ-compressed files
# (50 MB expanded, mixed content, two disks, ten sub-directories) under Wine,
# and a bare program expands the same files with LZOpenFileA/LZCopy alone.
#
# What is timed, for both programs alike: from the moment the first
# destination file was finished to the moment the last one was (their inode
# change times: the LZ library gives each file the source's modification
# time when it closes it), so program start-up, the pages and the prompts are
# outside it; the first file is a 200-byte one for that reason. The bare
# program's own clock over its whole loop, and SETUP.EXE's window from the
# progress dialog appearing to the group page appearing (seen by the UI
# driver, +-50 ms), are printed as cross-checks. Each program runs ROUNDS
# times (default 3); the medians are compared.
#
# usage: bench/run-bench.sh BUILD_DIR
set -u
BUILD_DIR="$(cd "${1:?build directory}" && pwd)"
export BUILD_DIR
here="$(cd "$(dirname "$0")" && pwd)"
SOURCE_DIR="$(cd "$here/.." && pwd)"
export SOURCE_DIR
ROUNDS="${ROUNDS:-3}"
bench="$BUILD_DIR/bench"
export WINEPREFIX="$bench/wineprefix"
. "$SOURCE_DIR/tests/harness/session.sh"
trap stop_session EXIT
trap 'exit 130' INT TERM

echo "== building the bare expander"
# Where only 64-bit Wine starts (WINE_ARCH=win64, from the Makefile), x86_64.
toolchain=i686
[ "${WINE_ARCH:-}" = win64 ] && toolchain=x86_64
cmake -S "$here" -B "$bench/build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$SOURCE_DIR/cmake/mingw-$toolchain.cmake" \
  -DCMAKE_BUILD_TYPE=Release >/dev/null || exit 1
cmake --build "$bench/build" >/dev/null || exit 1
bare="$bench/build/bare_expand.exe"

# The product, made once per version of the generator and kept in the build
# tree: data/ holds the expanded files, disk/ the compressed ones.
product="$bench/product"
stamp="$(md5sum <"$here/make-product.py" | cut -c1-12)"
if [ "$(cat "$product/stamp" 2>/dev/null)" != "$stamp" ]; then
  echo "== generating the product (1000 files, 50 MB) and compressing it"
  rm -rf "$product"
  python3 "$here/make-product.py" "$product/data" || exit 1
  mkdir -p "$product/disk"
  (
    # compress and its check come from the e2e library.
    . "$SOURCE_DIR/tests/e2e/lib.sh"
    while read -r entry; do
      name="$(basename "$entry" .dat)"
      compress "$product/data/$entry" "$product/disk/${name^^}.DA_"
    done <"$product/data/listing.txt"
  ) || exit 1
  echo "$stamp" >"$product/stamp"
fi
du -sb "$product/data" "$product/disk" | awk '{printf "   %s bytes in %s\n", $1, $2}'

# setupkit pack of the same files against mscompress (host only).
"$here/bench-pack.sh" "$BUILD_DIR" "$product/data"

# The LZ benchmark, with lz32 under Wine when Wine is up.
lz_bench() {
  echo "== LZ compression and expansion"
  if [ -n "$1" ]; then LZ32_NA="$1" "$here/bench-lz.sh" "$BUILD_DIR"
  else LZ32_EXE="$bare" "$here/bench-lz.sh" "$BUILD_DIR"; fi
}

echo "== starting Xvfb and a fresh Wine prefix"
start_display || { echo "could not start Xvfb"; lz_bench "Xvfb did not start"; exit 1; }
start_wine >/dev/null || { echo "could not make the Wine prefix"; lz_bench "Wine did not start"; exit 1; }
lz_bench "" || exit 1
. "$SOURCE_DIR/tests/e2e/lib.sh"
e2e_init bench
trap 'kill_setup; stop_session' EXIT

# The disk: SETUP.EXE, the tags, the script, and the compressed files.
disk="$CASE/disk"
make_disk "$disk"
cp "$product/disk/"*.DA_ "$disk/"
touch "$disk/Disk1" "$disk/Disk2"
mapfile -t entries <"$product/data/listing.txt"
half=$((${#entries[@]} / 2))
{
  echo "[Title]"
  echo "DlgTitle=Transfer Benchmark"
  echo "NumberDisk=2"
  echo "[SubDir]"
  echo "NumberDirs=10"
  for i in $(seq 10); do printf 'Dir%d=d%02d\n' "$i" "$i"; done
  for d in 1 2; do
    echo "[Disk$d]"
    echo "NumberFiles=$half"
    for j in $(seq $half); do
      entry="${entries[$(( (d - 1) * half + j - 1 ))]}"
      name="$(basename "$entry" .dat)"
      echo "file$j=3,${name^^}.DA_,${entry//\//\\}"
    done
  done
} | write_script "$disk"

# span DIR: seconds from the first entry's file to the newest file in DIR.
span() {
  local first last
  first="$(stat -c %.9Z "$1/${entries[0]}")"
  last="$(find "$1" -type f -name 'f*.dat' -printf '%C@\n' | sort -n | tail -n 1)"
  awk -v a="$first" -v b="$last" 'BEGIN { printf "%.3f", b - a }'
}

same_as_data() {
  diff -rq -x install.log -x listing.txt "$product/data" "$1" >/dev/null ||
    fail "$2: the installed files differ from the product"
}

now() { date +%s.%N; }

run_setup() {
  local inst="$CASE/inst" t0 t1
  rm -rf "$inst"
  start_setup "$disk"
  ui wait-background 30000 -- wait-page welcome 30000 -- click 1 \
    -- wait-page directory -- type 11 "$(winpath "$inst")" -- click 1 -- wait-page progress 30000
  t0="$(now)"
  ui wait-page group 600000
  t1="$(now)"
  ui click 2
  wait_setup 120
  same_as_data "$inst" SETUP.EXE
  setup_spans+=("$(span "$inst")")
  setup_windows+=("$(awk -v a="$t0" -v b="$t1" 'BEGIN { printf "%.3f", b - a }')")
}

run_bare() {
  local out="$CASE/bare" list="$CASE/bare-list.txt" result
  rm -rf "$out"
  for i in $(seq 10); do mkdir -p "$out/$(printf 'd%02d' "$i")"; done
  : >"$list"
  for entry in "${entries[@]}"; do
    name="$(basename "$entry" .dat)"
    printf '%s\t%s\r\n' "$(winpath "$disk")\\${name^^}.DA_" "$(winpath "$out")\\${entry//\//\\}" >>"$list"
  done
  result="$(wine "$bare" "$(winpath "$list")" 2>/dev/null </dev/null | tr -d '\r')"
  [ "$(echo "$result" | awk '{print $1, $2}')" = "${#entries[@]} 0" ] ||
    fail "bare expander: [$result]"
  same_as_data "$out" bare_expand
  bare_spans+=("$(span "$out")")
  bare_clocks+=("$(echo "$result" | awk '{print $3}')")
}

median() { printf '%s\n' "$@" | sort -n | awk '{v[NR] = $1} END {print v[int((NR + 1) / 2)]}'; }

setup_spans=(); setup_windows=(); bare_spans=(); bare_clocks=()
echo "== warming the file cache"
run_bare
bare_spans=(); bare_clocks=()
for round in $(seq "$ROUNDS"); do
  echo "== round $round of $ROUNDS"
  run_setup
  run_bare
  echo "   SETUP.EXE ${setup_spans[-1]} s (dialog up ${setup_windows[-1]} s); bare ${bare_spans[-1]} s (own clock ${bare_clocks[-1]} s)"
done

s="$(median "${setup_spans[@]}")"
b="$(median "${bare_spans[@]}")"
echo "== result (medians of $ROUNDS rounds, first to last file written)"
echo "   SETUP.EXE transfer:  $s s   (progress dialog up: $(median "${setup_windows[@]}") s)"
echo "   bare LZ expansion:   $b s   (its own clock, whole loop: $(median "${bare_clocks[@]}") s)"
awk -v s="$s" -v b="$b" 'BEGIN {
  r = (b > 0) ? s / b : 0
  printf "   ratio SETUP/bare:    %.3f (target <= 1.10)\n", r
}'
