#!/usr/bin/env bash
# Runs one libFuzzer target (built by the host sanitizer build) for a number
# of seconds from a copy of its seed corpus, tests/fuzz/seeds/<target>/.
# Fails on any crash, leak or sanitizer report (libFuzzer's exit status).
# Usage: run-fuzz.sh TARGET_BINARY SECONDS [extra libFuzzer flags]
set -eu
seconds="$2"
name="$(basename "$1")"
# The run changes into the target's folder: the path must not be relative.
binary="$(cd "$(dirname "$1")" && pwd)/$name"
shift 2
src="$(cd "$(dirname "$0")/../.." && pwd)"
corpus="$(dirname "$binary")/$name.corpus"
mkdir -p "$corpus"
[ -d "$src/tests/fuzz/seeds/$name" ] && cp -r "$src/tests/fuzz/seeds/$name"/. "$corpus/"
cd "$(dirname "$binary")"
"$binary" -max_total_time="$seconds" -print_final_stats=1 "$@" "$corpus" 2>"$name.fuzz.log" ||
  { tail -n 60 "$name.fuzz.log"; exit 1; }
grep -E '^(#[0-9]+.*DONE|stat::number_of_executed_units|stat::peak_rss_mb)' "$name.fuzz.log" || true
