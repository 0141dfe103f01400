#!/usr/bin/env bash
# Installs what is missing, builds the release server (and the command-line
# client, build/release/src/vantrel-client) and runs it in the server
# folder FOLDER (default: ./server-folder), which is created when missing.
# Clients connect on port 5500. Ctrl-C (or SIGTERM) stops it.
#
# A new server folder (one without "Users" yet) is given a "guest" account, so
# that clients can log in without an account of their own: no password; it may
# download, upload into upload folders, chat, read and post news and send
# private messages. Delete Users/guest to allow no guests.
set -euo pipefail
cd "$(dirname "$0")/.."

folder="${1:-server-folder}"
scripts/install-deps.sh
cmake --preset release >/dev/null
cmake --build --preset release --target vantrel-server vantrel-client

# Writes the 734-byte account record of "guest" (big-endian lengths, texts in
# fixed slots, zeros elsewhere) into FOLDER/Users/guest/UserData.
seed_guest() {
  local record="$1/Users/guest/UserData"
  mkdir -p "$(dirname "$record")"
  {
    printf '\x00\x01\x00\x00'                         # version 1, reserved
    printf '\x60\x60\x0c\x00\x00\x80\x00\x00'         # privileges 1 2 9 10 20 21 40
    head -c 516 /dev/zero                               # reserved
    printf '\x00\x05Guest'; head -c 61 /dev/zero       # name
    printf '\x00\x00'; head -c 66 /dev/zero            # extra text
    printf '\x00\x05guest'; head -c 29 /dev/zero       # login
    printf '\x00\x00'; head -c 32 /dev/zero            # no password
  } >"$record"
}
if [ ! -e "$folder/Users" ]; then
  seed_guest "$folder"
fi

exec build/release/src/vantrel-server --dir "$folder"
