#!/usr/bin/env bash
# Checks that the layers of src/ point one way:
#   platform -> protocol -> prefs, logs -> server (the core) -> subsystems -> app,
# and ctl (vantrel-ctl), a program like app.
# Each folder may include only the folders below it (and itself); prints every
# include that points up and exits 1 when there is one. The client (client/)
# stands beside the server: it may include platform/, protocol/ and the
# flattened-file formats named below, and nothing of the server includes it.
set -euo pipefail
src="${1:-$(dirname "$0")/../src}"

declare -A allowed=(
  [platform]="platform"
  [protocol]="platform protocol"
  [prefs]="platform protocol prefs"
  [logs]="platform protocol prefs logs"
  [server]="platform protocol prefs logs server"
  [client]="platform protocol client transfer/flattened_file.h transfer/transfer_header.h files/type_codes.h"
)

status=0
for dir in "$src"/*/; do
  folder=$(basename "$dir")
  [[ "$folder" == app || "$folder" == ctl ]] && continue
  # A subsystem may include anything but app/ and client/.
  allow="${allowed[$folder]:-*}"
  while IFS=: read -r file line include; do
    target=$(sed -E 's/.*#include "([^/]+)\/.*/\1/' <<<"$include")
    header=$(sed -E 's/.*#include "([^"]+)".*/\1/' <<<"$include")
    if [[ "$allow" == "*" ]]; then
      [[ "$target" != app && "$target" != client ]] && continue
    elif [[ " $allow " == *" $target "* || " $allow " == *" $header "* ]]; then
      continue
    fi
    echo "${file#"$src"/}:$line: $folder/ must not include $target/"
    status=1
  done < <(grep -Hn '^#include "[^/"]*/' -r "$dir" || true)
done
exit $status
