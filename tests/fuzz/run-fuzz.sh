#!/usr/bin/env bash
# Builds a fuzz target for the host with libFuzzer and AddressSanitizer and
# runs it for a bounded number of inputs. Usage: run-fuzz.sh TARGET OUTDIR RUNS
set -eu
target="$1" out="$2" runs="${3:-100000}"
src="$(cd "$(dirname "$0")/../.." && pwd)"
mkdir -p "$out"
clang++ -std=c++17 -g -O1 -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all \
  -I"$src" "$src/tests/fuzz/$target.cpp" "$src/engine/entries.cpp" "$src/engine/text.cpp" \
  -o "$out/$target"
mkdir -p "$out/$target.corpus"
cp "$src"/tests/fuzz/seeds/* "$out/$target.corpus/" 2>/dev/null || true
"$out/$target" -runs="$runs" -max_len=300 "$out/$target.corpus" 2>&1 | tail -n 3
