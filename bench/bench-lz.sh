#!/usr/bin/env bash
# LZ benchmark: setupkit compress (one job and all cores) against Debian's
# mscompress on a corpus of real files from installed packages (Windows DLLs
# that Wine ships, texts under /usr/share/doc), then setupkit expand against
# msexpand, and the platform's lz32 under Wine (the bare expander) when the
# caller has a Wine session up.
#
# usage: bench/bench-lz.sh BUILD_DIR
#   LZ32_EXE   the bare expander (LZOpenFileA/LZCopy), run with wine; when
#   unset, the lz32 line says n/a with LZ32_NA (the reason).
#   LZ_CORPUS_MB  the corpus size in MB (default 8: 6 of DLLs, 2 of texts)
set -u
BUILD_DIR="$(cd "${1:?build directory}" && pwd)"
setupkit="$BUILD_DIR/setupkit"
[ -x "$setupkit" ] || { echo "bench-lz: no $setupkit (make build)"; exit 1; }
work="$BUILD_DIR/bench/lz"
rm -rf "$work"
mkdir -p "$work/corpus" "$work/ms" "$work/j1" "$work/jn" "$work/x-sk" "$work/x-ms"
total_mb="${LZ_CORPUS_MB:-8}"

# The corpus, chosen the same way each run: files in name order within
# size bounds until each share is full.
pick() { # DIR MIN MAX BYTES PATTERN
  find "$1" -type f -size +"$2"c -size -"$3"c -name "$5" -printf '%s %p\n' 2>/dev/null | sort -k2 |
    awk -v budget="$4" '{ if (sum + $1 > budget) exit; sum += $1; print $2 }'
}
dlls=""
for d in /usr/lib/x86_64-linux-gnu/wine/x86_64-windows /usr/lib/wine/x86_64-windows /usr/lib/i386-linux-gnu/wine/i386-windows; do
  [ -d "$d" ] && { dlls="$d"; break; }
done
{
  [ -n "$dlls" ] && pick "$dlls" 60000 1500000 $((total_mb * 3 / 4 * 1048576)) '*.dll'
  pick /usr/share/doc 2000 400000 $((total_mb * 1048576 / 4)) 'copyright'
  pick /usr/share/doc 2000 400000 $((total_mb * 1048576 / 4)) '*.txt'
} | awk '!seen[$0]++' >"$work/list"
i=0
while read -r path; do
  i=$((i + 1))
  ext="${path##*.}"; [ "$ext" = "$path" ] || [ "${#ext}" -gt 3 ] && ext=TXT
  cp "$path" "$work/corpus/$(printf 'F%04d' "$i").${ext^^}"
done <"$work/list"
files=("$work"/corpus/*)
bytes="$(cat "${files[@]}" | wc -c)"
echo "== LZ corpus: ${#files[@]} files, $bytes bytes ($(wc -l <"$work/list") from ${dlls:-no Wine DLLs} and /usr/share/doc)"

# timed LABEL COMMAND...: wall and CPU (user + sys) seconds into $wall, $cpu.
timed() {
  local out="$work/time.$1"; shift
  /usr/bin/time -f '%e %U %S' -o "$out" "$@" >/dev/null 2>"$work/err" || { cat "$work/err"; return 1; }
  read -r wall user sys <"$out"
  cpu="$(awk -v u="$user" -v s="$sys" 'BEGIN { printf "%.2f", u + s }')"
}
size_of() { cat "$@" | wc -c; }
jobs="$(nproc)"

cp "${files[@]}" "$work/ms/"
timed ms bash -c 'cd "$1" && mscompress *' _ "$work/ms" || exit 1
ms_wall="$wall" ms_cpu="$cpu" ms_size="$(size_of "$work"/ms/*_)"
timed j1 "$setupkit" compress "${files[@]}" -o "$work/j1" -j 1 || exit 1
j1_wall="$wall" j1_cpu="$cpu" j1_size="$(size_of "$work"/j1/*)"
timed jn "$setupkit" compress "${files[@]}" -o "$work/jn" -j "$jobs" || exit 1
jn_wall="$wall" jn_cpu="$cpu"
cmp -s <(cat "$work"/j1/*) <(cat "$work"/jn/*) || { echo "bench-lz: -j 1 and -j $jobs differ"; exit 1; }

timed xsk "$setupkit" expand "$work"/j1/* -o "$work/x-sk" -j 1 || exit 1
xsk_wall="$wall" xsk_cpu="$cpu"
cp "$work"/j1/* "$work/x-ms/"
timed xms bash -c 'cd "$1" && msexpand *_' _ "$work/x-ms" || exit 1
xms_wall="$wall" xms_cpu="$cpu"
for f in "${files[@]}"; do
  cmp -s "$f" "$work/x-sk/$(basename "$f")" || { echo "bench-lz: setupkit expand lost $f"; exit 1; }
done

lz32="n/a (${LZ32_NA:-no Wine session})"
if [ -n "${LZ32_EXE:-}" ]; then
  mkdir -p "$work/x-lz32"
  list="$work/lz32-list.txt"
  : >"$list"
  # Wine shows the Linux root as Z:, so the names are spelled here rather
  # than by a winepath call per file (one of 512 could come back empty).
  zpath() { local p="Z:$1"; printf '%s' "${p//\//\\}"; }
  for f in "$work"/j1/*; do
    name="$(basename "$f")"
    printf '%s\t%s\r\n' "$(zpath "$f")" "$(zpath "$work/x-lz32/$name")" >>"$list"
  done
  wine "$LZ32_EXE" "$(zpath "$list")" </dev/null 2>/dev/null | tr -d '\r' >"$work/lz32.out"
  read -r n failed seconds <"$work/lz32.out"
  if [ "${n:-0}" -gt 0 ] && [ "${failed:-1}" = 0 ]; then
    lz32="$(awk -v b="$bytes" -v s="$seconds" 'BEGIN { printf "%7.1f MB/s   (%.3f s, its own clock)", b / 1048576 / s, s }')"
  else
    lz32="n/a (the bare expander failed: $(cat "$work/lz32.out"))"
  fi
fi

awk -v bytes="$bytes" -v jobs="$jobs" \
  -v msw="$ms_wall" -v msc="$ms_cpu" -v mss="$ms_size" \
  -v j1w="$j1_wall" -v j1c="$j1_cpu" -v j1s="$j1_size" -v jnw="$jn_wall" -v jnc="$jn_cpu" \
  -v xskw="$xsk_wall" -v xskc="$xsk_cpu" -v xmsw="$xms_wall" -v xmsc="$xms_cpu" -v lz32="$lz32" 'BEGIN {
  mb = bytes / 1048576
  printf "   %-26s %9s %9s %12s %8s %10s\n", "compress", "wall s", "cpu s", "bytes", "ratio", "vs msc"
  printf "   %-26s %9.2f %9.2f %12d %7.2f%% %10s\n", "mscompress", msw, msc, mss, 100 * mss / bytes, "100.00%"
  printf "   %-26s %9.2f %9.2f %12d %7.2f%% %9.2f%%\n", "setupkit compress -j 1", j1w, j1c, j1s, 100 * j1s / bytes, 100 * j1s / mss
  printf "   %-26s %9.2f %9.2f %12d %7.2f%% %9.2f%%\n", "setupkit compress -j " jobs, jnw, jnc, j1s, 100 * j1s / bytes, 100 * j1s / mss
  printf "   speed-up -j 1 over mscompress: %.1fx wall, %.1fx cpu (target >= 20x); size %.2f%% of its (target <= 96.5%%)\n",
    msw / j1w, msc / (j1c > 0 ? j1c : 0.01), 100 * j1s / mss
  printf "   %-26s %9s %9s %12s\n", "expand", "wall s", "cpu s", "MB/s (wall)"
  printf "   %-26s %9.2f %9.2f %12.1f\n", "msexpand", xmsw, xmsc, mb / xmsw
  printf "   %-26s %9.2f %9.2f %12.1f\n", "setupkit expand -j 1", xskw, xskc, mb / xskw
  printf "   %-26s %s\n", "lz32 under Wine", lz32
}'
