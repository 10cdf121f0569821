#!/usr/bin/env bash
# What setupkit compress writes, the platform's LZ library (LZOpenFileA and
# LZCopy) expands back byte for byte: every size from 0 to 20, the window's
# edges, a megabyte of one byte, random data and a real binary.
. "$SOURCE_DIR/tests/e2e/lib.sh"
e2e_init setupkit_lz

data="$CASE/data"; packed="$CASE/packed"; out="$CASE/out"
mkdir -p "$data" "$packed" "$out"
for size in $(seq 0 20) 4095 4096 4097 70000; do
  head -c "$size" /dev/urandom >"$data/r$size.bin"
done
head -c 1048576 /dev/zero | tr '\0' 'a' >"$data/one.bin"
for i in $(seq 400); do echo "line $i of a text that repeats itself, more or less ($((i % 7)))"; done >"$data/text.txt"
cp "$BUILD_DIR/SETUP.EXE" "$data/setup.exe"

"$BUILD_DIR/setupkit" compress "$data"/* -o "$packed" >/dev/null || fail "setupkit compress failed"
list="$CASE/list.txt"
: >"$list"
for f in "$packed"/*; do
  name="$(basename "$f")"
  printf '%s\t%s\r\n' "$(winpath "$f")" "$(winpath "$out/$name")" >>"$list"
done
result="$(wine "$BUILD_DIR/tests/bare_expand.exe" "$(winpath "$list")" 2>/dev/null </dev/null | tr -d '\r')"
count="$(ls "$packed" | wc -l)"
expect_eq "$count 0" "$(echo "$result" | awk '{print $1, $2}')" "files expanded and failed"
for f in "$data"/*; do
  name="$(basename "$f")"
  cmp -s "$f" "$out/${name%?}_" || fail "lz32 expanded $name differently"
done
pass
