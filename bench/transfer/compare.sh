#!/usr/bin/env bash
# Sets the release vantrel-server's file transfers against nginx and dd over
# 127.0.0.1, in one run: a 1 GiB download (through the server, and with curl
# from nginx), the CPU time each server spends per GiB sent, 100 clients
# downloading 100 distinct 10 MiB files at once, and a 1 GiB upload against dd
# writing as much into the same folder; with the server's memory around the 100
# downloads. Prints medians, lowest and highest, and the ratios.
#
#   bench/transfer/compare.sh                          # 3 runs of each
#   REPEAT=5 bench/transfer/compare.sh
#   BIG_MIB=64 SMALL_MIB=1 REPEAT=1 bench/transfer/compare.sh   # a quick trial
#
# Settings (environment): REPEAT (runs of each measurement; the table shows the
# median, lowest and highest), BIG_MIB (the large file and the upload, MiB;
# default 1024), SMALL_MIB (each of the small files, MiB; default 10), CLIENTS
# (small files, downloaded at once; default 100), BUILD (a build folder to use
# instead of build/release). Installs nginx and curl from Debian when missing
# (as root); runs its own nginx, never the system's service.
#
# The files are made once, of random bytes, in a fresh server folder under
# /tmp: Files/big and Files/Many/small-1 to small-CLIENTS. Each run starts a
# fresh server, the two alternately: vantrel-server in that folder, or nginx
# (one worker, sendfile, no access log) serving its Files/. With two or more
# cores the server (and dd) runs on core 0 and the clients on core 1. The
# downloads through the Vantrel server are checked byte for byte once, after
# the first run's timed ones, and every upload after its time. Both servers are stopped by their PIDs and the folder is
# removed when the script ends, however it ends. With the defaults a
# comparison takes about two minutes.
set -euo pipefail

ROOT=$(cd "$(dirname "$0")/../.." && pwd)
# BUILD names another build folder of this tree to use instead of the release preset's.
PRESET_BUILD="$ROOT/build/release"
BUILD=${BUILD:-$PRESET_BUILD}
REPEAT=${REPEAT:-3}
BIG_MIB=${BIG_MIB:-1024}
SMALL_MIB=${SMALL_MIB:-10}
CLIENTS=${CLIENTS:-100}
# The folder of the small files, at the top of the shared files.
MANY=Many

fail() {
  echo "compare.sh: $*" >&2
  exit 1
}

# shellcheck source-path=SCRIPTDIR source=../load/server_control.sh
source "$ROOT/bench/load/server_control.sh"
# shellcheck source-path=SCRIPTDIR source=../files/nginx_control.sh
source "$ROOT/bench/files/nginx_control.sh"
# shellcheck source-path=SCRIPTDIR source=transfer_steps.sh
source "$ROOT/bench/transfer/transfer_steps.sh"

TOOL="$BUILD/bench/transfer/vantrel_transfer"
WORK=$(mktemp -d /tmp/vantrel-transfer.XXXXXX)
# The server folder the Vantrel server runs in; nginx serves its Files/, and
# uploads and dd write there.
SERVER_DIR="$WORK/vantrel"
SHARED="$SERVER_DIR/folder/Files"
FIGURES="$WORK/figures"

cleanup() {
  stop_server
  rm -rf "$WORK"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

check_settings() {
  check_number REPEAT "$REPEAT" 20
  check_number BIG_MIB "$BIG_MIB" 3072
  check_number SMALL_MIB "$SMALL_MIB" 100
  check_number CLIENTS "$CLIENTS" 200
}

make_files() {
  local i
  mkdir -p "$SHARED/$MANY"
  random_file "$SHARED/big" "$BIG_MIB" 0
  for ((i = 1; i <= CLIENTS; i++)); do random_file "$SHARED/$MANY/small-$i" "$SMALL_MIB" "$i"; done
  # Written back now, not while uploads and dd are timed.
  sync
}

# Checks every byte of the large file and of the small ones downloaded.
check_vantrel() {
  local port=$1
  transfer download --port "$port" --name big --verify "$SHARED" >/dev/null
  transfer download --port "$port" --folder "$MANY" --name small --clients "$CLIENTS" \
    --verify "$SHARED/$MANY" >/dev/null
  echo "  vantrel: every byte of the downloads checked against the files"
}

run_vantrel() {
  local run=$1 port line before after bytes seconds
  port=$(free_port)
  start_vantrel "$port" "$SERVER_DIR"

  before=$(probe "$SERVER_PID")
  line=$(transfer download --port "$port" --folder "$MANY" --name small --clients "$CLIENTS")
  after=$(probe "$SERVER_PID")
  record many vantrel "$(calc 'a / b / 1048576' "$(figure "$line" data_bytes)" "$(figure "$line" seconds)")"
  record rss_before vantrel "$(calc 'a / 1024' "$(figure "$before" rss_kib)")"
  record rss_after vantrel "$(calc 'a / 1024' "$(figure "$after" rss_kib)")"
  record hwm_after vantrel "$(calc 'a / 1024' "$(figure "$after" hwm_kib)")"
  [[ $(figure "$line" queued) == 0 ]] || echo "  vantrel: $(figure "$line" queued) downloads waited in the queue"

  before=$(probe "$SERVER_PID")
  line=$(transfer download --port "$port" --name big)
  after=$(probe "$SERVER_PID")
  bytes=$(figure "$line" data_bytes)
  seconds=$(figure "$line" seconds)
  record download vantrel "$(calc 'a / b / 1048576' "$bytes" "$seconds")"
  record cpu vantrel "$(calc '(b - a) / (c / 1073741824)' "$(figure "$before" cpu_s)" \
    "$(figure "$after" cpu_s)" "$bytes")"

  line=$(transfer upload --port "$port" --name "upload-$run" --size $((BIG_MIB * 1048576)) \
    --verify "$SHARED")
  record upload vantrel "$(calc 'a / b / 1048576' "$(figure "$line" data_bytes)" "$(figure "$line" seconds)")"
  rm -f "$SHARED/upload-$run"
  # After the timed runs, so that the server's peak memory is theirs.
  if ((run == 1)); then check_vantrel "$port"; fi
  stop_server
  echo "  vantrel, run $run: done"
}

# The PID of the nginx worker: the one child of the master started last.
nginx_worker() {
  local worker
  for _ in $(seq 1 "$LISTEN_WAIT"); do
    worker=$(cat "/proc/$SERVER_PID/task/$SERVER_PID/children" 2>/dev/null || true)
    [[ $worker =~ ^[0-9]+\ ?$ ]] && { echo "${worker% }"; return; }
    sleep 0.1
  done
  fail "nginx started no worker"
}

# One curl fetching each URL given to /dev/null, all at once; prints per
# transfer its bytes and its time.
curl_all() {
  local args=() url
  for url in "$@"; do args+=(-o /dev/null "$url"); done
  "${TOOL_CPU[@]}" curl --silent --show-error --no-progress-meter --fail --parallel --parallel-immediate --parallel-max "$#" \
    -w '%{size_download} %{time_total}\n' "${args[@]}"
}

run_nginx() {
  local run=$1 port dir worker url before after urls=() i result bytes seconds
  port=$(free_port)
  dir="$WORK/nginx-$run"
  mkdir -p "$dir"
  start_nginx "$port" "$dir" "$SHARED" "sendfile on;" ""
  worker=$(nginx_worker)
  url="http://127.0.0.1:$port"

  for ((i = 1; i <= CLIENTS; i++)); do urls+=("$url/$MANY/small-$i"); done
  result=$(curl_all "${urls[@]}") || fail "curl failed against nginx"
  # Every file whole; the aggregate over the longest transfer, as they ran at once.
  record many nginx "$(awk -v n="$CLIENTS" -v size=$((SMALL_MIB * 1048576)) '
    $1 == size { bytes += $1; whole++ } $2 > longest { longest = $2 }
    END { if (whole != n || longest <= 0) exit 1; printf "%.6g", bytes / longest / 1048576 }' \
    <<<"$result")" || fail "nginx did not send every small file whole"

  before=$(probe "$worker")
  result=$(curl_all "$url/big") || fail "curl failed against nginx"
  after=$(probe "$worker")
  read -r bytes seconds <<<"$result"
  ((bytes == BIG_MIB * 1048576)) || fail "nginx sent $bytes bytes of big"
  record download nginx "$(calc 'a / b / 1048576' "$bytes" "$seconds")"
  record cpu nginx "$(calc '(b - a) / (c / 1073741824)' "$(figure "$before" cpu_s)" \
    "$(figure "$after" cpu_s)" "$bytes")"
  stop_server
  echo "  nginx, run $run: done"
}

run_dd() {
  local run=$1 report seconds
  report=$(LC_ALL=C "${SERVER_CPU[@]}" dd if=/dev/zero of="$SHARED/dd-$run" bs=1M count="$BIG_MIB" conv=fdatasync \
    2>&1) || fail "dd failed: $report"
  rm -f "$SHARED/dd-$run"
  # "... bytes (...) copied, 4.51 s, 238 MB/s"
  seconds=$(sed -n 's/.* copied, \([0-9.e+-]*\) s,.*/\1/p' <<<"$report")
  [[ -n $seconds ]] || fail "cannot read dd's report: $report"
  record upload dd "$(calc 'a / b' "$BIG_MIB" "$seconds")"
  echo "  dd, run $run: done"
}

check_settings
install_missing nginx
install_missing curl
install_missing openssl
build_targets vantrel-server vantrel_load vantrel_transfer
echo "Making the files: $BIG_MIB MiB and $CLIENTS of $SMALL_MIB MiB, in $WORK ..."
make_files
echo "Measuring: $REPEAT runs of each"
for run in $(seq 1 "$REPEAT"); do
  run_vantrel "$run"
  run_nginx "$run"
  run_dd "$run"
done

awk -f "$ROOT/bench/load/median.awk" -f "$(dirname "$0")/transfer_table.awk" \
  -v big="$BIG_MIB" -v small="$SMALL_MIB" -v clients="$CLIENTS" "$FIGURES"
