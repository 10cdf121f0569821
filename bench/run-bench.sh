#!/usr/bin/env bash
# Benchmarks. The LZ one (bench/bench-lz.sh): setupkit compress and expand
# against mscompress, msexpand and lz32. The transfer one: SETUP.EXE installs a product of 1000 LZ-compressed files
# (50 MB expanded, mixed content, two disks) under Wine, and a bare program
# expands the same files with LZOpenFileA/LZCopy alone. Two layouts (the
# files spread over ten sub-directories, and all in one directory) and three
# cases each: a fresh install; a repair, the same product over itself (its
# script gives each file's size and CRC-32, so files in place are read and
# left alone); and an upgrade, a product whose every file has other content
# of the same size over the installation (each file read, then replaced).
# Repair and upgrade are measured against a bare loop that overwrites the
# same files. A repair writes no file of its own, so that its span has two
# ends its first and last files are removed before it (written, as a repair
# writes a missing file); the upgrade starts from a copy of the first
# version's installation each round.
# For each, the file-system calls per file are counted from Wine's relay
# trace (RelayInclude limited to the kernel32/kernelbase file functions,
# calls from kernel32 included, as the LZ library's reads go through it;
# nested calls of one function into another are counted once, as the
# outermost call; the run's fixed calls, script and log, are included).
#
# What is timed, for both programs alike: from the moment the first
# destination file was finished to the moment the last one was (their inode
# change times: the LZ library gives each file the source's modification
# time when it closes it), so program start-up, the pages and the prompts are
# outside it; the first file is a 200-byte one for that reason. The bare
# program's own clock over its whole loop, and SETUP.EXE's window from the
# progress dialog appearing to the group page appearing (seen by the UI
# driver, +-50 ms), are printed as cross-checks. Each round runs both
# programs, one right after the other (which one first alternates from round
# to round), ROUNDS times (default 5; a repair REPAIR_ROUNDS, default 3). The disk of this shared machine is
# faster or slower from one minute to the next (single spans of one program
# vary by a fifth), so each round's SETUP.EXE span is divided by the bare
# span of the same round, and the median of these paired ratios is the
# figure the target is judged on; the ratio of the two programs' median
# spans is printed beside it.
#
# usage: bench/run-bench.sh BUILD_DIR
# SETUP_EXE=path measures another SETUP.EXE (an earlier build) against the
# same yardstick; ROUNDS=n rounds per case; CALLS=0 skips the call counts;
# TRANSFER_ONLY=1 runs the transfer benchmark alone; LAYOUTS="sub" or
# "flat" one layout; MODES="fresh", "repair" or "upgrade" (or several); KEEP_TRACE=prefix
# keeps the relay traces (as prefix.LAYOUT.MODE.setup and .bare);
# RELAY_DEBUG=+timestamp,+relay times the traced calls of both programs
# (bench/relay-costs.py TRACE 1000 ranks them).
# Every timed run starts after a sync, so that no program's span holds the
# writing back of what ran before it.
set -u
BUILD_DIR="$(cd "${1:?build directory}" && pwd)"
export BUILD_DIR
here="$(cd "$(dirname "$0")" && pwd)"
SOURCE_DIR="$(cd "$here/.." && pwd)"
export SOURCE_DIR
ROUNDS="${ROUNDS:-5}"
REPAIR_ROUNDS="${REPAIR_ROUNDS:-3}"
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
# The upgrade's product: every file with other content of the same size
# (every 64th byte changed), compressed into disk2/.
if [ "$(cat "$product/stamp2" 2>/dev/null)" != "$stamp" ]; then
  echo "== making the upgrade's product (every file changed, sizes the same)"
  rm -rf "$product/data2" "$product/disk2"
  python3 - "$product/data" "$product/data2" <<'PY' || exit 1
import os, sys
src, dst = sys.argv[1:]
for line in open(os.path.join(src, 'listing.txt')):
    entry = line.strip()
    data = bytearray(open(os.path.join(src, entry), 'rb').read())
    data[::64] = bytes(b ^ 0x5A for b in data[::64])
    os.makedirs(os.path.dirname(os.path.join(dst, entry)), exist_ok=True)
    open(os.path.join(dst, entry), 'wb').write(data)
PY
  cp "$product/data/listing.txt" "$product/data2/"
  mkdir -p "$product/disk2"
  (
    . "$SOURCE_DIR/tests/e2e/lib.sh"
    while read -r entry; do
      name="$(basename "$entry" .dat)"
      compress "$product/data2/$entry" "$product/disk2/${name^^}.DA_"
    done <"$product/data/listing.txt"
  ) || exit 1
  echo "$stamp" >"$product/stamp2"
fi
du -sb "$product/data" "$product/disk" | awk '{printf "   %s bytes in %s\n", $1, $2}'

# setupkit pack of the same files against mscompress (host only).
# TRANSFER_ONLY=1 skips it and the LZ benchmark.
[ "${TRANSFER_ONLY:-0}" = 1 ] || "$here/bench-pack.sh" "$BUILD_DIR" "$product/data"

# The LZ benchmark, with lz32 under Wine when Wine is up.
lz_bench() {
  [ "${TRANSFER_ONLY:-0}" = 1 ] && return 0
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

# The disk: SETUP.EXE, the tags, the script, and the compressed files; one
# per layout, sharing the compressed files.
setup_exe="${SETUP_EXE:-$BUILD_DIR/SETUP.EXE}"
mapfile -t entries <"$product/data/listing.txt"
count=${#entries[@]}
half=$((count / 2))
# The expanded files of the flat layout, for the comparison.
for version in data data2; do
  if [ ! -d "$product/flat-$version" ]; then
    mkdir -p "$product/flat-$version"
    for entry in "${entries[@]}"; do
      ln "$product/$version/$entry" "$product/flat-$version/$(basename "$entry")"
    done
  fi
done
# version MODE: the product a case installs (data or data2), disk (disk or
# disk2).
version() { if [ "$1" = upgrade ]; then echo 2; fi; }

# destination LAYOUT ENTRY: the installed name of an entry (relative).
destination() {
  if [ "$1" = sub ]; then echo "$2"; else basename "$2"; fi
}

# make_layout_disk LAYOUT VERSION ("" or 2)
make_layout_disk() {
  local layout="$1" v="$2" disk="$CASE/disk$2-$1"
  make_disk "$disk"
  cp "$setup_exe" "$disk/SETUP.EXE"
  cp -l "$product/disk$v/"*.DA_ "$disk/" 2>/dev/null || cp "$product/disk$v/"*.DA_ "$disk/"
  touch "$disk/Disk1" "$disk/Disk2"
  {
    echo "[Title]"
    echo "DlgTitle=Transfer Benchmark"
    echo "NumberDisk=2"
    echo "[SubDir]"
    if [ "$layout" = sub ]; then
      echo "NumberDirs=10"
      for i in $(seq 10); do printf 'Dir%d=d%02d\n' "$i" "$i"; done
    else
      echo "NumberDirs=0"
    fi
    for d in 1 2; do
      echo "[Disk$d]"
      echo "NumberFiles=$half"
      for j in $(seq $half); do
        entry="${entries[$(( (d - 1) * half + j - 1 ))]}"
        name="$(basename "$entry" .dat)"
        dest="$(destination "$layout" "$entry")"
        echo "file$j=3,${name^^}.DA_,${dest//\//\\}"
      done
    done
    # What setupkit pack writes: each file's size and CRC-32.
    python3 - "$product/data$v" "$half" <<'PY'
import os, sys, zlib
src, half = sys.argv[1], int(sys.argv[2])
entries = [line.strip() for line in open(os.path.join(src, 'listing.txt'))]
for d in (1, 2):
    print('[Check%d]' % d)
    for j in range(1, half + 1):
        data = open(os.path.join(src, entries[(d - 1) * half + j - 1]), 'rb').read()
        print('file%d=%d,%08x' % (j, len(data), zlib.crc32(data)))
PY
  } | write_script "$disk"
}

# span LAYOUT DIR: seconds from the first entry's file to the newest file.
span() {
  local first last
  first="$(stat -c %.9Z "$2/$(destination "$1" "${entries[0]}")")"
  last="$(find "$2" -type f -name 'f*.dat' -printf '%C@\n' | sort -n | tail -n 1)"
  awk -v a="$first" -v b="$last" 'BEGIN { printf "%.3f", b - a }'
}

# same_as_data LAYOUT DIR WHO [VERSION]
same_as_data() {
  local expected="$product/data${4:-}"
  [ "$1" = flat ] && expected="$product/flat-data${4:-}"
  diff -rq -x install.log -x 'install*.rec' -x listing.txt "$expected" "$2" >/dev/null ||
    fail "$3: the installed files differ from the product"
}

now() { date +%s.%N; }

# The relay trace of one run goes to TRACE when it is set.
TRACE=""
# run_setup LAYOUT MODE: fresh removes the installation first; repair keeps
# it but for its first and last file; upgrade starts from a copy of the first
# version's installation (kept by keep_installation) and installs the second.
run_setup() {
  local layout="$1" mode="$2" v t0 t1
  v="$(version "$mode")"
  local disk="$CASE/disk$v-$1" inst="$CASE/inst-$1"
  case "$mode" in
    fresh) rm -rf "$inst" ;;
    repair)
      rm -f "$inst/$(destination "$layout" "${entries[0]}")" \
        "$inst/$(destination "$layout" "${entries[-1]}")" ;;
    upgrade) rm -rf "$inst" && cp -a "$CASE/inst-first-$1" "$inst" ;;
  esac
  # What the previous run wrote is on the disk before this one starts, so
  # neither program's span includes the other's writing back.
  sync
  SETUP_STATUS=""
  if [ -n "$TRACE" ]; then
    (cd "$disk" && WINEDEBUG=${RELAY_DEBUG:-+relay} exec wine "$disk/SETUP.EXE") >/dev/null 2>"$TRACE" </dev/null &
  else
    (cd "$disk" && exec wine "$disk/SETUP.EXE") >>"$CASE/setup-output.txt" 2>&1 </dev/null &
  fi
  SETUP_PID=$!
  ui wait-background 30000 -- wait-page welcome 30000 -- click 1 \
    -- wait-page directory -- type 11 "$(winpath "$inst")" -- click 1 -- wait-page progress 30000
  t0="$(now)"
  ui wait-page group 1200000
  t1="$(now)"
  ui click 2
  wait_setup 300
  same_as_data "$layout" "$inst" SETUP.EXE "$v"
  setup_spans+=("$(span "$layout" "$inst")")
  setup_windows+=("$(awk -v a="$t0" -v b="$t1" 'BEGIN { printf "%.3f", b - a }')")
}

# run_bare LAYOUT MODE: fresh into an empty directory, else over the files
# there (upgrade: the second version's).
run_bare() {
  local layout="$1" mode="$2" v result
  v="$(version "$mode")"
  local disk="$CASE/disk$v-$1" out="$CASE/bare-$1" list="$CASE/bare-list-$1.txt"
  [ "$mode" = fresh ] && rm -rf "$out"
  mkdir -p "$out"
  if [ "$layout" = sub ]; then for i in $(seq 10); do mkdir -p "$out/$(printf 'd%02d' "$i")"; done; fi
  sync
  : >"$list"
  for entry in "${entries[@]}"; do
    name="$(basename "$entry" .dat)"
    dest="$(destination "$layout" "$entry")"
    printf '%s\t%s\r\n' "$(winpath "$disk")\\${name^^}.DA_" "$(winpath "$out")\\${dest//\//\\}" >>"$list"
  done
  if [ -n "$TRACE" ]; then
    result="$(WINEDEBUG=${RELAY_DEBUG:-+relay} wine "$bare" "$(winpath "$list")" 2>"$TRACE" </dev/null | tr -d '\r')"
  else
    result="$(wine "$bare" "$(winpath "$list")" 2>/dev/null </dev/null | tr -d '\r')"
  fi
  [ "$(echo "$result" | awk '{print $1, $2}')" = "$count 0" ] || fail "bare expander: [$result]"
  same_as_data "$layout" "$out" bare_expand "$v"
  bare_spans+=("$(span "$layout" "$out")")
  bare_clocks+=("$(echo "$result" | awk '{print $3}')")
}

median() {
  printf '%s\n' "$@" | sort -n |
    awk '{v[NR] = $1} END {if (NR % 2) print v[(NR + 1) / 2]; else printf "%.3f\n", (v[NR / 2] + v[NR / 2 + 1]) / 2}'
}
quotient() { awk -v s="$1" -v b="$2" 'BEGIN { printf "%.3f", (b > 0) ? s / b : 0 }'; }

# The file functions the count covers, in both DLLs.
file_functions="CreateFileA CreateFileW OpenFile _lopen _lcreat _lclose _lread _lwrite _hread _hwrite
  _llseek ReadFile WriteFile CloseHandle SetFilePointer SetFilePointerEx GetFileSize GetFileSizeEx
  GetFileAttributesA GetFileAttributesW GetFileAttributesExA GetFileAttributesExW FindFirstFileA
  FindFirstFileW FindFirstFileExW FindNextFileA FindNextFileW FindClose MoveFileA MoveFileW
  MoveFileExA MoveFileExW MoveFileWithProgressW DeleteFileA DeleteFileW GetFileInformationByHandle
  SetEndOfFile SetFileTime GetFileTime CopyFileA CopyFileW CreateDirectoryA CreateDirectoryW
  SetCurrentDirectoryA SetCurrentDirectoryW GetFileType FlushFileBuffers SetFileInformationByHandle
  RemoveDirectoryA RemoveDirectoryW"
relay_include="$(for f in $file_functions; do printf 'KERNEL32.%s;KERNELBASE.%s;' "$f" "$f"; done)"

# calls TRACE: "all reads-and-writes-excluded" per file, outermost calls only.
calls_per_file() {
  python3 - "$1" "$count" <<'PY'
import re, sys
call = re.compile(r'^(?:[0-9.]+:)?([0-9a-f]+):(Call|Ret) +(?:KERNEL32|KERNELBASE)\.(\w+)', re.I)
io = {'ReadFile', 'WriteFile', '_lread', '_lwrite', '_hread', '_hwrite'}
depth, every, other = {}, 0, 0
with open(sys.argv[1], errors='replace') as trace:
    for line in trace:
        m = call.match(line)
        if not m:
            continue
        thread, kind, name = m.groups()
        if kind == 'Call':
            if depth.get(thread, 0) == 0:
                every += 1
                other += name not in io
            depth[thread] = depth.get(thread, 0) + 1
        elif depth.get(thread, 0) > 0:
            depth[thread] -= 1
files = int(sys.argv[2])
print('%.1f %.1f' % (every / files, other / files))
PY
}

declare -A ratio ratio_of_medians calls_setup calls_bare time_setup time_bare
MODES="${MODES:-fresh repair upgrade}"
for layout in ${LAYOUTS:-sub flat}; do
  make_layout_disk "$layout" ""
  [[ " $MODES " == *" upgrade "* ]] && make_layout_disk "$layout" 2
  for mode in $MODES; do
    setup_spans=(); setup_windows=(); bare_spans=(); bare_clocks=()
    echo "== $layout / $mode: warming the file cache"
    run_bare "$layout" fresh
    if [ "$mode" != fresh ]; then
      run_setup "$layout" fresh
      rm -rf "$CASE/inst-first-$layout"
      cp -a "$CASE/inst-$layout" "$CASE/inst-first-$layout"
    fi
    rounds="$ROUNDS"
    [ "$mode" = repair ] && rounds="$REPAIR_ROUNDS"
    setup_spans=(); setup_windows=(); bare_spans=(); bare_clocks=(); paired=()
    for round in $(seq "$rounds"); do
      if [ $((round % 2)) = 1 ]; then
        run_setup "$layout" "$mode"
        run_bare "$layout" "$mode"
      else
        run_bare "$layout" "$mode"
        run_setup "$layout" "$mode"
      fi
      paired+=("$(quotient "${setup_spans[-1]}" "${bare_spans[-1]}")")
      echo "   round $round: SETUP.EXE ${setup_spans[-1]} s (dialog up ${setup_windows[-1]} s); bare ${bare_spans[-1]} s (own clock ${bare_clocks[-1]} s); ratio ${paired[-1]}"
    done
    s="$(median "${setup_spans[@]}")"
    b="$(median "${bare_spans[@]}")"
    time_setup[$layout/$mode]="$s"
    time_bare[$layout/$mode]="$b"
    ratio[$layout/$mode]="$(median "${paired[@]}")"
    ratio_of_medians[$layout/$mode]="$(quotient "$s" "$b")"
    calls_setup[$layout/$mode]="- -"
    calls_bare[$layout/$mode]="- -"
    if [ "${CALLS:-1}" != 0 ]; then
      wine reg add 'HKCU\Software\Wine\Debug' /v RelayInclude /t REG_SZ /d "$relay_include" /f >/dev/null 2>&1
      # Calls from kernel32 are traced too: the LZ library's reads reach
      # kernelbase only through kernel32 (nested calls are counted once).
      wine reg add 'HKCU\Software\Wine\Debug' /v RelayFromExclude /t REG_SZ \
        /d 'winex11.drv;winemac.drv;user32;gdi32;advapi32' /f >/dev/null 2>&1
      TRACE="$CASE/relay.txt"
      run_setup "$layout" "$mode"
      calls_setup[$layout/$mode]="$(calls_per_file "$TRACE")"
      [ -n "${KEEP_TRACE:-}" ] && cp "$TRACE" "$KEEP_TRACE.$layout.$mode.setup"
      run_bare "$layout" "$mode"
      calls_bare[$layout/$mode]="$(calls_per_file "$TRACE")"
      [ -n "${KEEP_TRACE:-}" ] && cp "$TRACE" "$KEEP_TRACE.$layout.$mode.bare"
      rm -f "$TRACE"
      TRACE=""
      wine reg delete 'HKCU\Software\Wine\Debug' /v RelayInclude /f >/dev/null 2>&1
      wine reg delete 'HKCU\Software\Wine\Debug' /v RelayFromExclude /f >/dev/null 2>&1
    fi
  done
done

echo "== result ($(basename "$BUILD_DIR") build, $(basename "$(dirname "$setup_exe")")/$(basename "$setup_exe"); medians of $ROUNDS rounds (repair $REPAIR_ROUNDS), first to last file written)"
printf '   %-29s %9s %9s %7s %7s %7s  %-13s %-13s\n' case "SETUP s" "bare s" ratio target "(ratio" "SETUP calls" "bare calls"
for layout in ${LAYOUTS:-sub flat}; do
  for mode in $MODES; do
    key="$layout/$mode"
    case "$mode" in fresh) target=1.10 ;; repair) target=0.50 ;; *) target=1.30 ;; esac
    label="$([ "$layout" = sub ] && echo "ten sub-directories" || echo "one directory"), $mode"
    read -r sa so <<<"${calls_setup[$key]}"
    read -r ba bo <<<"${calls_bare[$key]}"
    printf '   %-29s %9s %9s %7s %7s %6s)  %5s (%5s)  %5s (%5s)\n' "$label" "${time_setup[$key]}" \
      "${time_bare[$key]}" "${ratio[$key]}" "<=$target" "${ratio_of_medians[$key]}" "$sa" "$so" "$ba" "$bo"
  done
done
echo "   ratio: median of the rounds' paired ratios; (ratio): of the two median spans"
echo "   calls: file-system calls per file, all (and without reads and writes)"
# The programs' sizes: the shipped i686 ones at most 49,152 bytes each
# (scripts/check-size.sh); where the x86_64 build ran, its own beside them.
program_sizes() {
  local p
  for p in SETUP.EXE UNINST.EXE; do
    printf ' %s %s bytes' "$p" "$(stat -c %s "$1/$p" 2>/dev/null || echo -)"
  done
}
shipped="$BUILD_DIR"
[ "$(basename "$BUILD_DIR")" = win64 ] && shipped="$(dirname "$BUILD_DIR")"
echo "   program sizes (i686, limit 49152 each):$(program_sizes "$shipped")"
if [ "$shipped" != "$BUILD_DIR" ]; then
  echo "   program sizes (x86_64 test build):$(program_sizes "$BUILD_DIR")"
fi
if [ -n "${SETUP_EXE:-}" ]; then
  echo "   measured SETUP.EXE ($setup_exe): $(stat -c %s "$setup_exe") bytes"
fi
