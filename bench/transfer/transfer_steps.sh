# shellcheck shell=bash
# The steps the transfer comparisons share (bench/transfer/compare.sh and
# bench/tunnel/compare.sh): files of random bytes, running a measuring tool and
# reading its line of figures, and the arithmetic on the figures; sourced after
# bench/load/server_control.sh, not run.
#
# The sourcing script sets ROOT (the tree), BUILD and PRESET_BUILD (the release preset's build
# folder), TOOL (vantrel_transfer), WORK (its scratch folder), SERVER_DIR (the
# server's folder, whose server.log is shown when a tool fails) and FIGURES
# (the file of figures), and defines fail MESSAGE.

# Fails unless $2 is a whole number from 1 to $3; $1 names the setting.
check_number() {
  if ! [[ $2 =~ ^[1-9][0-9]*$ ]] || (($2 > $3)); then fail "$1 must be 1..$3"; fi
}

# Builds the targets given in BUILD, configuring the release preset first when
# BUILD is its folder.
build_targets() {
  if [[ "$BUILD" == "$PRESET_BUILD" ]]; then
    (cd "$ROOT" && cmake --preset release >/dev/null)
  fi
  # Two jobs: the machine may be shared with other builds.
  cmake --build "$BUILD" --parallel 2 --target "$@" | tail -1
}

# Writes $2 MiB of pseudo-random bytes, the stream of key $3, to the file $1.
random_file() {
  local key
  printf -v key '%032x' "$3"
  # head ends the stream early: openssl's broken pipe is expected.
  { openssl enc -aes-128-ctr -K "$key" -iv 00000000000000000000000000000000 -in /dev/zero \
    2>/dev/null || true; } | head -c "$(($2 * 1048576))" >"$1"
}

# Appends "MEASURE SOURCE VALUE" to the figures.
record() {
  echo "$1 $2 $3" >>"$FIGURES"
}

# Prints awk's value of the expression $1 over the variables a, b and c ($2 to $4).
calc() {
  awk -v a="$2" -v b="${3:-0}" -v c="${4:-0}" "BEGIN { printf \"%.6g\", $1 }"
}

# The figures line of the tool $1 run (on the tools' core) with the arguments
# after it, its output kept in $WORK/last.txt; on failure the end of the
# server's log too.
figures_of() {
  local tool=$1
  shift
  if ! "${TOOL_CPU[@]}" "$tool" "$@" >"$WORK/last.txt" 2>&1; then
    cat "$WORK/last.txt" >&2
    echo "The end of the server's log:" >&2
    tail -n 5 "$SERVER_DIR/server.log" >&2 || true
    fail "$(basename "$tool") $1 failed"
  fi
  grep '^figures:' "$WORK/last.txt"
}

# The figures line of a vantrel_transfer run with the arguments given.
transfer() {
  figures_of "$TOOL" "$@"
}

# "probe: ..." for the process $1.
probe() {
  "$TOOL" probe --pid "$1" || fail "cannot read the process $1"
}
