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

install_nginx() {
  command -v nginx >/dev/null && return
  echo "Installing nginx (for this comparison only) ..."
  apt-get install -y nginx >/dev/null || { apt-get update >/dev/null && apt-get install -y nginx >/dev/null; }
  command -v nginx >/dev/null || fail "nginx could not be installed"
}

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

# Starts nginx on 127.0.0.1:$1 serving $SHARED with an autoindex: one worker,
# no access log, its error log, PID file and temporary folders in $2.
start_nginx() {
  local port=$1 dir=$2
  mkdir -p "$dir/temp"
  cat >"$dir/nginx.conf" <<CONF
daemon off;
master_process on;
worker_processes 1;
# The worker reads the files as the user who runs the script.
user $(id -un) $(id -gn);
pid $dir/nginx.pid;
error_log $dir/error.log;
events {
  worker_connections 64;
}
http {
  access_log off;
  # One client lists for the whole run over one connection.
  keepalive_requests 1000000;
  client_body_temp_path $dir/temp/body;
  proxy_temp_path $dir/temp/proxy;
  fastcgi_temp_path $dir/temp/fastcgi;
  uwsgi_temp_path $dir/temp/uwsgi;
  scgi_temp_path $dir/temp/scgi;
  server {
    listen 127.0.0.1:$port;
    root $SHARED;
    location / {
      autoindex on;
    }
  }
}
CONF
  # The master process, started here, ends its worker when it ends.
  "${SERVER_CPU[@]}" nginx -p "$dir" -e "$dir/error.log" -c "$dir/nginx.conf" </dev/null \
    >"$dir/server.log" 2>&1 &
  SERVER_PID=$!
  wait_listening "$port" "$dir/error.log"
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
    start_nginx "$port" "$dir"
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

# The value of `key` in a "figures:" line.
figure() {
  local word
  for word in $1; do
    [[ $word == "$2="* ]] && { echo "${word#*=}"; return; }
  done
}

check_settings
install_nginx
build
make_folder
echo "Measuring: one client listing $FOLDER/ ($FILES files), $REPEAT runs of $SECONDS_PER_RUN s per server"
for run in $(seq 1 "$REPEAT"); do
  run_once vantrel "$run"
  run_once http "$run"
done

awk -f "$(dirname "$0")/../load/median.awk" -f "$(dirname "$0")/listing_table.awk" \
  -v files="$FILES" "$WORK/figures"
