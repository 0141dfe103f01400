# shellcheck shell=bash
# Starting and stopping the server under measurement, for the scripts that
# measure it (compare.sh, bench/hostile/hostile.sh, bench/files/compare.sh,
# bench/transfer/compare.sh), installing what they compare it with and reading
# the tools' lines of figures; sourced, not run.
#
# The sourcing script sets BUILD (a build folder holding src/vantrel-server and
# bench/load/vantrel_load) and defines fail MESSAGE. SERVER_PID holds the
# server started last, until stop_server. With two or more cores, SERVER_CPU
# and TOOL_CPU pin the server to core 0 and the measuring tool to core 1.

# Longest wait for a server to listen, in tenths of a second.
LISTEN_WAIT=100
SERVER_PID=""

# shellcheck disable=SC2034  # TOOL_CPU is the sourcing script's
if (($(nproc) >= 2)); then
  SERVER_CPU=(taskset -c 0)
  TOOL_CPU=(taskset -c 1)
else
  SERVER_CPU=()
  TOOL_CPU=()
fi

# Ends the process $1, a child of this shell, by its PID, if it still runs
# (nothing for an empty PID).
end_process() {
  if [[ -n "$1" ]] && kill -0 "$1" 2>/dev/null; then
    kill "$1" 2>/dev/null || true
    wait "$1" 2>/dev/null || true
  fi
}

# Ends the server started last, by its PID, if it still runs.
stop_server() {
  end_process "$SERVER_PID"
  SERVER_PID=""
}

# A port P on 127.0.0.1 such that P to P + 3 are all free (the Vantrel server
# listens on four consecutive ports).
free_port() {
  local port busy
  for _ in $(seq 1 50); do
    port=$((20000 + RANDOM % 40000))
    busy=$(ss -Htan | awk -v lo="$port" -v hi="$((port + 3))" \
      '{ n = split($4, a, ":"); p = a[n] + 0; if (p >= lo && p <= hi) print p }')
    [[ -z "$busy" ]] && { echo "$port"; return; }
  done
  fail "no free port found"
}

# Waits until the server started last listens on port $1; $2 names its log.
wait_listening() {
  local port=$1
  for _ in $(seq 1 "$LISTEN_WAIT"); do
    kill -0 "$SERVER_PID" 2>/dev/null || fail "the server ended at start; see $2"
    [[ -n $(ss -Htln "sport = :$port") ]] && return
    sleep 0.1
  done
  fail "the server does not listen on port $port; see $2"
}

# Prepares the server folder $2/folder for port $1 and starts the release
# server in it, its output in $2/server.log.
start_vantrel() {
  local port=$1 dir=$2
  "$BUILD/bench/load/vantrel_load" prepare "$dir/folder" --port "$port" >/dev/null
  "${SERVER_CPU[@]}" "$BUILD/src/vantrel-server" --dir "$dir/folder" </dev/null >"$dir/server.log" 2>&1 &
  SERVER_PID=$!
  wait_listening "$port" "$dir/server.log"
}

# Installs the Debian package $2 (default $1) when the command $1 is missing
# (as root), for this comparison only.
install_missing() {
  local command=$1 package=${2:-$1}
  command -v "$command" >/dev/null && return
  echo "Installing $package (for this comparison only) ..."
  apt-get install -y "$package" >/dev/null ||
    { apt-get update >/dev/null && apt-get install -y "$package" >/dev/null; }
  command -v "$command" >/dev/null || fail "$package could not be installed"
}

# The value of `key` $2 in a line of figures $1 ("figures: key=value ...").
figure() {
  local word
  for word in $1; do
    [[ $word == "$2="* ]] && { echo "${word#*=}"; return; }
  done
}
