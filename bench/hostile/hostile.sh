#!/usr/bin/env bash
# Measures the release vantrel-server under misbehaving peers: silent
# connections, claimed-but-unsent requests and clients that stop reading. Each
# run starts a fresh server in a newly prepared folder on 127.0.0.1, runs one
# scenario of vantrel_hostile against it and ends the server by its PID. Prints
# each figure as the median of REPEAT runs with the lowest and highest, beside
# its target.
#
#   bench/hostile/hostile.sh                                   # every scenario, 3 runs each
#   SCENARIOS="claims" REPEAT=5 bench/hostile/hostile.sh
#   SILENT=200 CLAIMS=50 NON_READERS=20 CHAT_SECONDS=10 bench/hostile/hostile.sh  # a trial
#
# Settings (environment): SCENARIOS (any of silent, claims, non-readers), REPEAT
# (runs per scenario), SILENT (silent connections, default 10000), CLAIMS
# (claimants, 1000), NON_READERS (200), CHATTERS (10), CHAT_SECONDS (300),
# BUILD (a build folder to use instead of build/release). With two or more
# cores the server runs on core 0 and the tool on core 1. Nothing leaves
# 127.0.0.0/8. With the defaults the three scenarios take about 17 minutes,
# almost all of it the non-readers' chat.
set -euo pipefail

ROOT=$(cd "$(dirname "$0")/../.." && pwd)
BUILD=${BUILD:-$ROOT/build/release}
SCENARIOS=${SCENARIOS:-"silent claims non-readers"}
REPEAT=${REPEAT:-3}
SILENT=${SILENT:-10000}
CLAIMS=${CLAIMS:-1000}
NON_READERS=${NON_READERS:-200}
CHATTERS=${CHATTERS:-10}
CHAT_SECONDS=${CHAT_SECONDS:-300}
TOOL="$BUILD/bench/hostile/vantrel_hostile"

fail() {
  echo "hostile.sh: $*" >&2
  exit 1
}

# shellcheck source-path=SCRIPTDIR source=../load/server_control.sh
source "$ROOT/bench/load/server_control.sh"

WORK=$(mktemp -d /tmp/vantrel-hostile.XXXXXX)

cleanup() {
  stop_server
  rm -rf "$WORK"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

check_settings() {
  local name scenario
  for name in REPEAT SILENT CLAIMS NON_READERS CHATTERS CHAT_SECONDS; do
    [[ ${!name} =~ ^[1-9][0-9]*$ ]] || fail "$name must be a positive number"
  done
  for scenario in $SCENARIOS; do
    [[ $scenario =~ ^(silent|claims|non-readers)$ ]] || fail "no scenario $scenario"
  done
  for name in "$BUILD/src/vantrel-server" "$BUILD/bench/load/vantrel_load" "$TOOL"; do
    [[ -x $name ]] || fail "$name is missing; build it first: cmake --preset release &&" \
      "cmake --build --preset release --target vantrel-server vantrel_load vantrel_hostile"
  done
  # The tool holds one socket per client; the server raises its own limit.
  ulimit -n "$(ulimit -Hn)"
}

# The tool's options for one scenario.
scenario_options() {
  case $1 in
    silent) echo "--peers $SILENT" ;;
    claims) echo "--peers $CLAIMS" ;;
    non-readers) echo "--peers $NON_READERS --chatters $CHATTERS --seconds $CHAT_SECONDS" ;;
  esac
}

# Runs scenario $1 once on a fresh server and appends its figures, after the
# scenario's name, to $WORK/figures.
run_once() {
  local scenario=$1 run=$2 port dir figures
  port=$(free_port)
  dir="$WORK/$scenario-$run"
  mkdir -p "$dir"
  start_vantrel "$port" "$dir"
  # shellcheck disable=SC2046  # the options are words
  if ! "${TOOL_CPU[@]}" "$TOOL" "$scenario" --port "$port" --pid "$SERVER_PID" \
    $(scenario_options "$scenario") >"$dir/report.txt" 2>&1; then
    cat "$dir/report.txt" >&2
    fail "the $scenario run failed"
  fi
  stop_server
  figures=$(grep '^figures:' "$dir/report.txt")
  echo "$scenario ${figures#figures: }" >>"$WORK/figures"
  echo "  $scenario, run $run:"
  grep -v '^figures:' "$dir/report.txt" | sed 's/^/    /'
}

check_settings
echo "Measuring $SCENARIOS, $REPEAT runs each, each on a fresh server"
for scenario in $SCENARIOS; do
  for run in $(seq 1 "$REPEAT"); do
    run_once "$scenario" "$run"
  done
done

awk -f "$ROOT/bench/load/median.awk" -f "$(dirname "$0")/hostile_table.awk" -v scenarios="$SCENARIOS" "$WORK/figures"
