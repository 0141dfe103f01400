#!/usr/bin/env bash
# Sets the release vantrel-server's HTTP tunnels against plain TCP over
# 127.0.0.1, in one run on one server: a 1 GiB download over plain TCP (port
# P + 1), through a tunnel straight to the tunnel port (P + 3) and through a
# tunnel relayed by tinyproxy, with the server's CPU time per GiB sent for each;
# then a chat line's latency from a plain sender to a receiver on each of the
# three routes (its session on P, or tunnelled to P + 2). Prints medians, lowest
# and highest, and the ratios to plain TCP.
#
#   bench/tunnel/compare.sh                                  # 3 runs of each
#   REPEAT=5 bench/tunnel/compare.sh
#   BIG_MIB=64 LINES=200 REPEAT=1 bench/tunnel/compare.sh    # a quick trial
#
# Settings (environment): REPEAT (runs of each measurement; default 3), BIG_MIB
# (the file downloaded, MiB; default 1024), LINES (chat lines timed per run and
# route; default 1000), RATE (chat lines per second; default 100), BUILD (a
# build folder to use instead of build/release). Installs tinyproxy and openssl
# from Debian when missing (as root); runs its own tinyproxy, never the
# system's service.
#
# The file is made once, of random bytes, in a fresh server folder under /tmp,
# and one release server is started there for the whole comparison, with one
# tinyproxy (its own configuration: loopback only) on another free port. Each
# run downloads over the three routes in turn and then times the chat lines
# over them in turn, each run starting with the next route. With two or more
# cores the server runs on core 0, and the tools and tinyproxy on core 1, so
# that the server has a core to itself on every route. The downloads of the
# first run are repeated with every byte checked against the file, after the
# timed ones. The server and tinyproxy are stopped by their PIDs and the folder
# is removed when the script ends, however it ends. With the defaults a
# comparison takes about two minutes.
set -euo pipefail

ROOT=$(cd "$(dirname "$0")/../.." && pwd)
# BUILD names another build folder of this tree to use instead of the release preset's.
PRESET_BUILD="$ROOT/build/release"
BUILD=${BUILD:-$PRESET_BUILD}
REPEAT=${REPEAT:-3}
BIG_MIB=${BIG_MIB:-1024}
LINES=${LINES:-1000}
RATE=${RATE:-100}
ROUTES=(plain tunnel proxy)

fail() {
  echo "compare.sh: $*" >&2
  exit 1
}

# shellcheck source-path=SCRIPTDIR source=../load/server_control.sh
source "$ROOT/bench/load/server_control.sh"
# shellcheck source-path=SCRIPTDIR source=../transfer/transfer_steps.sh
source "$ROOT/bench/transfer/transfer_steps.sh"

TOOL="$BUILD/bench/transfer/vantrel_transfer"
LATENCY="$BUILD/bench/tunnel/vantrel_chat_latency"
WORK=$(mktemp -d /tmp/vantrel-tunnel.XXXXXX)
SERVER_DIR="$WORK/vantrel"
SHARED="$SERVER_DIR/folder/Files"
FIGURES="$WORK/figures"
PORT=""
PROXY_PORT=""
PROXY_PID=""

# Ends the tinyproxy started here, by its PID, if it still runs.
stop_proxy() {
  end_process "$PROXY_PID"
  PROXY_PID=""
}

cleanup() {
  stop_server
  stop_proxy
  rm -rf "$WORK"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

check_settings() {
  check_number REPEAT "$REPEAT" 20
  check_number BIG_MIB "$BIG_MIB" 3072
  check_number LINES "$LINES" 10000
  check_number RATE "$RATE" 1000
}

# Starts tinyproxy on the free port $1 of 127.0.0.1 with a configuration of its
# own, listening on 127.0.0.1 and serving clients of 127.0.0.0/8 only (the
# tools bind to addresses of their own there), in the foreground (-d), its log
# in $WORK.
start_proxy() {
  local port=$1
  cat >"$WORK/tinyproxy.conf" <<CONF
Port $port
Listen 127.0.0.1
Allow 127.0.0.0/8
Timeout 600
MaxClients 100
LogLevel Error
LogFile "$WORK/tinyproxy.log"
CONF
  "${TOOL_CPU[@]}" tinyproxy -d -c "$WORK/tinyproxy.conf" </dev/null >"$WORK/tinyproxy.out" 2>&1 &
  PROXY_PID=$!
  for _ in $(seq 1 "$LISTEN_WAIT"); do
    kill -0 "$PROXY_PID" 2>/dev/null || fail "tinyproxy ended at start: $(cat "$WORK/tinyproxy.out")"
    [[ -n $(ss -Htln "sport = :$port") ]] && return
    sleep 0.1
  done
  fail "tinyproxy does not listen on port $port"
}

# tinyproxy's CPU time in seconds, its ended threads included (utime + stime of
# /proc/PID/stat, in clock ticks): it serves each connection in a thread that
# ends with the connection, and the threads' own figures go with them.
proxy_cpu() {
  awk -v hz="$(getconf CLK_TCK)" '{ printf "%.6g", ($14 + $15) / hz }' "/proc/$PROXY_PID/stat" ||
    fail "cannot read tinyproxy's process $PROXY_PID"
}

# Sets ROUTE_ARGS to the tools' arguments for route $1.
route_args() {
  case $1 in
    plain) ROUTE_ARGS=() ;;
    tunnel) ROUTE_ARGS=(--tunnel) ;;
    proxy) ROUTE_ARGS=(--proxy "$PROXY_PORT") ;;
    *) fail "no route $1" ;;
  esac
}

# One timed 1 GiB download by route $1: its rate, and the CPU time the server
# (and on the proxy route tinyproxy) spent per GiB.
measure_download() {
  local route=$1 before after proxy_before proxy_after line bytes
  route_args "$route"
  before=$(probe "$SERVER_PID")
  proxy_before=$(proxy_cpu)
  line=$(transfer download --port "$PORT" --name big "${ROUTE_ARGS[@]}")
  after=$(probe "$SERVER_PID")
  proxy_after=$(proxy_cpu)
  bytes=$(figure "$line" data_bytes)
  record download "$route" "$(calc 'a / b / 1048576' "$bytes" "$(figure "$line" seconds)")"
  record cpu "$route" "$(calc '(b - a) / (c / 1073741824)' "$(figure "$before" cpu_s)" \
    "$(figure "$after" cpu_s)" "$bytes")"
  if [[ $route == proxy ]]; then
    record proxy_cpu "$route" "$(calc '(b - a) / (c / 1073741824)' "$proxy_before" "$proxy_after" "$bytes")"
  fi
}

# One timing of LINES chat lines to a receiver on route $1.
measure_latency() {
  local route=$1 line
  route_args "$route"
  line=$(figures_of "$LATENCY" --port "$PORT" --lines "$LINES" --rate "$RATE" "${ROUTE_ARGS[@]}")
  record latency_median "$route" "$(figure "$line" median_us)"
  record latency_p99 "$route" "$(figure "$line" p99_us)"
}

check_settings
install_missing tinyproxy
install_missing openssl
build_targets vantrel-server vantrel_load vantrel_transfer vantrel_chat_latency
echo "Making the file: $BIG_MIB MiB, in $WORK ..."
mkdir -p "$SHARED"
random_file "$SHARED/big" "$BIG_MIB" 0
sync
PORT=$(free_port)
start_vantrel "$PORT" "$SERVER_DIR"
PROXY_PORT=$(free_port)
start_proxy "$PROXY_PORT"
echo "Measuring: $REPEAT runs of each; the load average: $(cut -d ' ' -f 1-3 /proc/loadavg)"
for run in $(seq 1 "$REPEAT"); do
  # Each run starts with the next route, so that none is always first.
  first=$(((run - 1) % ${#ROUTES[@]}))
  order=("${ROUTES[@]:first}" "${ROUTES[@]:0:first}")
  for route in "${order[@]}"; do measure_download "$route"; done
  if ((run == 1)); then
    for route in "${ROUTES[@]}"; do
      route_args "$route"
      transfer download --port "$PORT" --name big --verify "$SHARED" "${ROUTE_ARGS[@]}" >/dev/null
    done
    echo "  every byte of a download by each route checked against the file"
  fi
  for route in "${order[@]}"; do measure_latency "$route"; done
  echo "  run $run (${order[*]}): done"
done
echo "The load average at the end: $(cut -d ' ' -f 1-3 /proc/loadavg)"

awk -f "$ROOT/bench/load/median.awk" -f "$(dirname "$0")/tunnel_table.awk" \
  -v big="$BIG_MIB" -v lines="$LINES" -v rate="$RATE" "$FIGURES"
