#!/usr/bin/env bash
# Lists one folder of 10,000 small files with one client over 127.0.0.1, one
# listing at a time: through the release vantrel-server (200, Get file list) and
# through nginx's autoindex of the same folder; prints listings per second side
# by side.
#
#   bench/files/compare.sh                          # 3 runs of 10 s per server
#   REPEAT=5 SECONDS_PER_RUN=5 bench/files/compare.sh
#
# Settings (environment): REPEAT (runs per server; the table shows the median,
# lowest and highest), SECONDS_PER_RUN (length of one run), BUILD (a build
# folder to use instead of build/release). Installs nginx from Debian when
# missing (as root); runs its own nginx, never the system's service.
# The folder is made once, in a fresh server folder. Each run starts a fresh
# server, the two alternately: vantrel-server in that folder, or nginx (one
# worker) with a generated configuration whose root is its Files/. With two or
# more cores the server runs on core 0 and the tool on core 1. Both servers are
# stopped by their PIDs when the script ends, however it ends. With the
# defaults a comparison takes about a minute and a half.
set -euo pipefail

ROOT=$(cd "$(dirname "$0")/../.." && pwd)
# BUILD names another build folder of this tree to use instead of the release preset's.
PRESET_BUILD="$ROOT/build/release"
BUILD=${BUILD:-$PRESET_BUILD}
REPEAT=${REPEAT:-3}
SECONDS_PER_RUN=${SECONDS_PER_RUN:-10}
# The folder listed, at the top of the shared files, and the files it holds.
FOLDER=Big
FILES=10000

fail() {
  echo "compare.sh: $*" >&2
  exit 1
}

# shellcheck source-path=SCRIPTDIR source=../load/server_control.sh
source "$ROOT/bench/load/server_control.sh"
# shellcheck source-path=SCRIPTDIR source=nginx_control.sh
source "$ROOT/bench/files/nginx_control.sh"

WORK=$(mktemp -d /tmp/vantrel-listing.XXXXXX)
# The server folder the Vantrel server runs in; nginx serves its Files/.
SERVER_DIR="$WORK/vantrel"
SHARED="$SERVER_DIR/folder/Files"

cleanup() {
  stop_server
  rm -rf "$WORK"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

check_settings() {
  [[ $REPEAT =~ ^[1-9][0-9]*$ ]] || fail "REPEAT must be a positive number"
  if ! [[ $SECONDS_PER_RUN =~ ^[1-9][0-9]*$ ]] || ((SECONDS_PER_RUN > 3600)); then
    fail "SECONDS_PER_RUN must be 1..3600"
  fi
}

build() {
  if [[ "$BUILD" == "$PRESET_BUILD" ]]; then
    (cd "$ROOT" && cmake --preset release >/dev/null)
  fi
  # Two jobs: the machine may be shared with other builds.
  cmake --build "$BUILD" --parallel 2 --target vantrel-server vantrel_load vantrel_listing | tail -1
}

# Files/Big with file-00001.txt to file-10000.txt, a few bytes each. The server
# folder around it is prepared at each start of the Vantrel server.
make_folder() {
  local i name
  mkdir -p "$SHARED/$FOLDER"
  for ((i = 1; i <= FILES; i++)); do
    printf -v name 'file-%05d.txt' "$i"
    echo "file $i" >"$SHARED/$FOLDER/$name"
  done
}

# Runs one measurement and appends its "figures:" line to $WORK/figures.
run_once() {
  local target=$1 run=$2 port dir log figures
  port=$(free_port)
  dir="$WORK/$target-$run"
  mkdir -p "$dir"
  local args=(--port "$port" --seconds "$SECONDS_PER_RUN")
  if [[ $target == vantrel ]]; then
    log="$SERVER_DIR/server.log"
    start_vantrel "$port" "$SERVER_DIR"
    args=(vantrel "${args[@]}" --folder "$FOLDER")
  else
    log="$dir/error.log"
    # One client lists for the whole run over one connection.
    start_nginx "$port" "$dir" "$SHARED" "keepalive_requests 1000000;" "autoindex on;"
    args=(http "${args[@]}" --url "/$FOLDER/")
  fi
  if ! "${TOOL_CPU[@]}" "$BUILD/bench/files/vantrel_listing" "${args[@]}" >"$dir/listing.txt" 2>&1; then
    cat "$dir/listing.txt" >&2
    # The work folder goes when the script ends: the server's last words now.
    echo "The end of the server's log:" >&2
    tail -n 5 "$log" >&2 || true
    fail "the $target run failed"
  fi
  stop_server
  figures=$(grep '^figures:' "$dir/listing.txt")
  echo "$figures" >>"$WORK/figures"
  echo "  $target, run $run: $(figure "$figures" listings_per_s) listings/s," \
    "$(figure "$figures" bytes_per_listing) bytes per listing"
}

check_settings
install_missing nginx
build
make_folder
echo "Measuring: one client listing $FOLDER/ ($FILES files), $REPEAT runs of $SECONDS_PER_RUN s per server"
for run in $(seq 1 "$REPEAT"); do
  run_once vantrel "$run"
  run_once http "$run"
done

awk -f "$(dirname "$0")/../load/median.awk" -f "$(dirname "$0")/listing_table.awk" \
  -v files="$FILES" "$WORK/figures"
