#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each one briefly over its
# corpus (fuzz/corpus/NAME, kept in the repository; new finds go to a scratch
# folder). Usage: scripts/run-fuzzers.sh [SECONDS_PER_TARGET]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-30}"

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz

for program in build/fuzz/fuzz/*_fuzz; do
  name="$(basename "$program" _fuzz)"
  scratch="$(mktemp -d)"
  corpus="fuzz/corpus/$name"
  mkdir -p "$corpus"
  echo "== $name: ${seconds}s"
  "$program" -max_total_time="$seconds" -rss_limit_mb=1024 -timeout=10 \
    -artifact_prefix="$scratch/" "$scratch" "$corpus" 2>&1 | tail -n 3
  rm -rf "$scratch"
done
