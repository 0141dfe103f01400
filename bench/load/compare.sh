#!/usr/bin/env bash
# Runs the same chat load against the release vantrel-server and against ngircd,
# both on 127.0.0.1, and prints their figures side by side.
#
#   bench/load/compare.sh                      # N = 1000 and 10000, M = 200, S = 10, 3 runs
#   CLIENTS="1000" REPEAT=5 bench/load/compare.sh
#
# Settings (environment): CLIENTS (the N values), LINES (M), SENDERS (S),
# RATE (paced lines per second), REPEAT (runs per server and N; the table shows
# each figure's median, lowest and highest), RUN_LIMIT (seconds one run may take:
# a run cut short reports what it measured by then, and the table marks it),
# BUILD (a build folder to use instead of build/release). Installs ngircd from
# Debian when missing (as root).
# Each run starts a fresh server: vantrel-server in a newly prepared folder,
# ngircd with a generated configuration. With two or more cores the server runs
# on core 0 and the load tool on core 1, one run at a time. Both servers are
# stopped by their PIDs when the script ends, however it ends. With the
# defaults a comparison takes about half an hour, most of it at N = 10000,
# where each login is announced to up to 9999 users.
set -euo pipefail

ROOT=$(cd "$(dirname "$0")/../.." && pwd)
# BUILD names another build folder of this tree to use instead of the release preset's.
PRESET_BUILD="$ROOT/build/release"
BUILD=${BUILD:-$PRESET_BUILD}
CLIENTS=${CLIENTS:-"1000 10000"}
LINES=${LINES:-200}
SENDERS=${SENDERS:-10}
RATE=${RATE:-100}
REPEAT=${REPEAT:-3}
# Longest time one run may take. Each phase may take as long, so that only the
# bound, not a failure, ends a slow login phase. It stays below the 600 s after
# which the Vantrel server marks an idle user away and tells everyone.
RUN_LIMIT=${RUN_LIMIT:-300}
# Logins in flight at once. Of them, as many connect at once as the server's
# listen backlog takes with two to spare, so that no connection attempt is
# dropped and retried: each server is paced by its own backlog.
LOGIN_WINDOW=50

fail() {
  echo "compare.sh: $*" >&2
  exit 1
}

# shellcheck source-path=SCRIPTDIR source=server_control.sh
source "$ROOT/bench/load/server_control.sh"

WORK=$(mktemp -d /tmp/vantrel-compare.XXXXXX)

cleanup() {
  stop_server
  rm -rf "$WORK"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

check_settings() {
  local n
  [[ $REPEAT =~ ^[1-9][0-9]*$ ]] || fail "REPEAT must be a positive number"
  [[ $RUN_LIMIT =~ ^[1-9][0-9]*$ ]] && ((RUN_LIMIT < 600)) || fail "RUN_LIMIT must be 1..599 seconds"
  for n in $CLIENTS; do [[ $n =~ ^[1-9][0-9]*$ ]] || fail "CLIENTS holds $n, not a number"; done
}

raise_open_files() {
  local largest=0 n
  for n in $CLIENTS; do ((n > largest)) && largest=$n; done
  ulimit -n "$(ulimit -Hn)"
  # The tool holds one socket per client; the server as many, plus its own files.
  (($(ulimit -n) >= largest + 256)) || fail "open-files limit $(ulimit -n) is too low for $largest clients"
}

build() {
  if [[ "$BUILD" == "$PRESET_BUILD" ]]; then
    (cd "$ROOT" && cmake --preset release >/dev/null)
  fi
  # Two jobs: the machine may be shared with other builds.
  cmake --build "$BUILD" --parallel 2 --target vantrel-server vantrel_load | tail -1
}

start_ngircd() {
  local port=$1 dir=$2
  # Flood penalties off (MaxPenaltyTime 0), no per-address or total connection
  # limit, no channel limit, no DNS or IDENT look-ups, pings out of the way.
  cat >"$dir/ngircd.conf" <<EOF
[Global]
	Name = load.test
	Info = chat load comparison
	AdminInfo1 = load comparison
	AdminInfo2 = loopback only
	AdminEMail = load@load.test
	Listen = 127.0.0.1
	Ports = $port
	MotdPhrase = "load test"
[Limits]
	MaxConnections = 0
	MaxConnectionsIP = 0
	MaxJoins = 0
	MaxPenaltyTime = 0
	PingTimeout = 3600
	PongTimeout = 3600
[Options]
	DNS = no
	Ident = no
	PAM = no
EOF
  "${SERVER_CPU[@]}" ngircd -n -f "$dir/ngircd.conf" </dev/null >"$dir/server.log" 2>&1 &
  SERVER_PID=$!
  wait_listening "$port" "$dir/server.log"
}

# Clients that may connect at once to the server listening on port $1: its
# listen backlog (the Send-Q of a listening socket in ss) less two, at least 1
# and at most the login window.
connecting_for() {
  local backlog connecting
  backlog=$(ss -Htln "sport = :$1" | awk 'NR == 1 { print $3 }')
  connecting=$((${backlog:-3} - 2))
  ((connecting > LOGIN_WINDOW)) && connecting=$LOGIN_WINDOW
  ((connecting < 1)) && connecting=1
  echo "$connecting"
}

# Runs one measurement and appends its "figures:" line to $WORK/figures.
run_once() {
  local protocol=$1 n=$2 run=$3 port dir connecting
  port=$(free_port)
  dir="$WORK/$protocol-$n-$run"
  mkdir -p "$dir"
  if [[ $protocol == vantrel ]]; then start_vantrel "$port" "$dir"; else start_ngircd "$port" "$dir"; fi
  connecting=$(connecting_for "$port")
  if ! "${TOOL_CPU[@]}" "$BUILD/bench/load/vantrel_load" "$protocol" --port "$port" \
    --clients "$n" --senders "$SENDERS" --lines "$LINES" --rate "$RATE" --pid "$SERVER_PID" \
    --window "$LOGIN_WINDOW" --connecting "$connecting" \
    --timeout "$RUN_LIMIT" --limit "$RUN_LIMIT" >"$dir/load.txt" 2>&1; then
    cat "$dir/load.txt" >&2
    fail "the $protocol run with $n clients failed (server log: $dir/server.log)"
  fi
  stop_server
  local figures
  figures=$(grep '^figures:' "$dir/load.txt")
  echo "$figures" >>"$WORK/figures"
  echo "  $protocol, $n clients, run $run ($connecting connecting at once):" \
    "$(figure "$figures" login_per_s) logins/s, $(figure "$figures" burst_per_s) burst" \
    "deliveries/s$(bounded_note "$figures")"
}

# The value of `key` in a "figures:" line.
figure() {
  local word
  for word in $1; do
    [[ $word == "$2="* ]] && { echo "${word#*=}"; return; }
  done
}

bounded_note() {
  local phase
  phase=$(figure "$1" bounded)
  [[ $phase == no ]] || echo " (cut short at $RUN_LIMIT s in the $phase phase)"
}

check_settings
install_missing ngircd
raise_open_files
build
echo "Measuring: N = $CLIENTS, M = $LINES, S = $SENDERS, paced $RATE lines/s, $REPEAT runs each," \
  "at most $RUN_LIMIT s per run"
for n in $CLIENTS; do
  for run in $(seq 1 "$REPEAT"); do
    run_once vantrel "$n" "$run"
    run_once irc "$n" "$run"
  done
done

awk -f "$(dirname "$0")/median.awk" -f "$(dirname "$0")/compare_table.awk" -v clients="$CLIENTS" "$WORK/figures"
