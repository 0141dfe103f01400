#!/usr/bin/env bash
# Sets the news category database against SQLite doing the same work at the
# same durability, operation by operation: runs the release news_database_bench
# a few times (each builds its own category in a temporary folder, from its own
# seed) and prints the median, lowest and highest time per operation of each
# side, and the ratios.
#
#   bench/news/compare.sh                          # 3 runs over 100,000 articles
#   ARTICLES=10000 REPEAT=1 bench/news/compare.sh  # a quick trial
#
# Settings (environment): REPEAT (runs; default 3), ARTICLES (the category's
# articles; default 100000), and, when set, SYNCED_WRITES, WRITES, READS and
# LISTS, passed on to the program as --synced-writes and so on (see its
# --help); BUILD (a build folder to use instead of build/release). The program
# needs SQLite's development files (Debian's libsqlite3-dev, which
# scripts/install-deps.sh installs); without them CMake leaves it out.
set -euo pipefail

ROOT=$(cd "$(dirname "$0")/../.." && pwd)
# BUILD names another build folder of this tree to use instead of the release preset's.
PRESET_BUILD="$ROOT/build/release"
BUILD=${BUILD:-$PRESET_BUILD}
REPEAT=${REPEAT:-3}
ARTICLES=${ARTICLES:-100000}

fail() {
  echo "compare.sh: $*" >&2
  exit 1
}

TOOL="$BUILD/bench/news/news_database_bench"
WORK=$(mktemp -d /tmp/vantrel-news.XXXXXX)
trap 'rm -rf "$WORK"' EXIT
trap 'exit 130' INT TERM

# Fails unless $2 is a whole number from 1 to $3; $1 names the setting.
check_number() {
  if ! [[ $2 =~ ^[1-9][0-9]*$ ]] || (($2 > $3)); then fail "$1 must be 1..$3"; fi
}

arguments=(--articles "$ARTICLES")
check_number REPEAT "$REPEAT" 20
check_number ARTICLES "$ARTICLES" 1000000
for setting in SYNCED_WRITES WRITES READS LISTS; do
  if [[ -n ${!setting:-} ]]; then
    check_number "$setting" "${!setting}" 100000
    flag=${setting,,}
    arguments+=("--${flag//_/-}" "${!setting}")
  fi
done

if [[ "$BUILD" == "$PRESET_BUILD" ]]; then
  (cd "$ROOT" && cmake --preset release >/dev/null)
fi
# Two jobs: the machine may be shared with other builds.
cmake --build "$BUILD" --parallel 2 --target vantrel_core | tail -1
cmake --build "$BUILD" --parallel 2 --target news_database_bench | tail -1 ||
  fail "news_database_bench was not built: is libsqlite3-dev installed (scripts/install-deps.sh)?"

reports=()
for run in $(seq 1 "$REPEAT"); do
  echo "Run $run of $REPEAT ..."
  "$TOOL" "${arguments[@]}" --seed "$run" --benchmark_out="$WORK/run-$run.json" \
    --benchmark_out_format=json >"$WORK/run-$run.txt" 2>&1 || {
    cat "$WORK/run-$run.txt" >&2
    fail "news_database_bench failed"
  }
  sed -n 's/^built: /  built: /p' "$WORK/run-$run.txt"
  reports+=("$WORK/run-$run.json")
done

awk -f "$ROOT/bench/load/median.awk" -f "$(dirname "$0")/news_table.awk" -v articles="$ARTICLES" \
  "${reports[@]}"
