#!/usr/bin/env bash
# setupkit pack against mscompress: the benchmark product (the files of
# make-product.py) packed onto 1.44M disks by one `setupkit pack`, against
# compressing the same files one by one with mscompress, as a vendor did
# before. Prints wall time and total compressed bytes of each; then the same
# pack onto one CD with its ISO image, and what signing SETUP.EXE and
# UNINST.EXE adds (a throwaway certificate made here). Host only.
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

start="$(now)"
"$setupkit" pack "$work/bench.auth" "$data" -o "$work/cd" --media cd --images >"$work/cd.out" || {
  cat "$work/cd.out"; exit 1; }
cd_time="$(echo "$(now) - $start" | bc)"
cd_bytes="$(stat -c %s "$work/cd/disk1.iso")"

# Signing: a throwaway CA and code-signing certificate, then the same floppy
# pack signed, and the two programs signed alone.
sign_time="-" signed_pack_time="-"
if command -v openssl >/dev/null && command -v osslsigncode >/dev/null; then
  mkdir -p "$work/keys"
  (
    cd "$work/keys" &&
      printf '%s\n' '[req]' 'distinguished_name=dn' '[dn]' '[ca]' 'basicConstraints=critical,CA:true' \
        '[code]' 'basicConstraints=CA:false' 'keyUsage=critical,digitalSignature' \
        'extendedKeyUsage=codeSigning' >ext.cnf &&
      openssl req -x509 -newkey rsa:2048 -nodes -keyout ca.key -out ca.pem -days 1 \
        -subj /CN=Bench-CA -config ext.cnf -extensions ca &&
      openssl req -newkey rsa:2048 -nodes -keyout code.key -out code.csr -subj /CN=Bench &&
      openssl x509 -req -in code.csr -CA ca.pem -CAkey ca.key -set_serial 1 -days 1 -out code.pem \
        -extfile ext.cnf -extensions code
  ) >"$work/keys.log" 2>&1 || { cat "$work/keys.log"; exit 1; }
  signing=(--sign-cert "$work/keys/code.pem" --sign-key "$work/keys/code.key")
  start="$(now)"
  "$setupkit" pack "$work/bench.auth" "$data" -o "$work/signed" --uninstaller "${signing[@]}" \
    >"$work/signed.out" || { cat "$work/signed.out"; exit 1; }
  signed_pack_time="$(echo "$(now) - $start" | bc)"
  start="$(now)"
  "$setupkit" pack "$work/bench.auth" "$data" -o "$work/unsigned" --uninstaller >/dev/null || exit 1
  unsigned_pack_time="$(echo "$(now) - $start" | bc)"
  cp "$BUILD_DIR/SETUP.EXE" "$BUILD_DIR/UNINST.EXE" "$work/keys/"
  start="$(now)"
  "$setupkit" sign "$work/keys/SETUP.EXE" "$work/keys/UNINST.EXE" "${signing[@]/--sign-/--}" >/dev/null ||
    exit 1
  sign_time="$(echo "$(now) - $start" | bc)"
fi

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
printf '   %-34s %10.2f %14s\n' "pack --media cd --images (1 disc)" "$cd_time" "$cd_bytes (image)"
if [ "$sign_time" != "-" ]; then
  printf '   %-34s %10.2f\n' "pack --uninstaller, unsigned" "$unsigned_pack_time"
  printf '   %-34s %10.2f\n' "pack --uninstaller, signed" "$signed_pack_time"
  printf '   %-34s %10.2f\n' "sign SETUP.EXE and UNINST.EXE alone" "$sign_time"
else
  echo "   (signing not timed: openssl or osslsigncode is missing)"
fi
if [ "$ms_time" != "-" ]; then
  printf '   %-34s %10.2f %14s\n' "mscompress, file by file" "$ms_time" "$ms_bytes"
  awk -v p="$pack_time" -v m="$ms_time" -v pb="$pack_bytes" -v mb="$ms_bytes" 'BEGIN {
    printf "   speed-up %.1fx, size %.1f%% of mscompress (pack also lays out the disks)\n",
      (p > 0 ? m / p : 0), (mb > 0 ? 100 * pb / mb : 0) }'
fi
