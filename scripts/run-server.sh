#!/usr/bin/env bash
# Installs what is missing, builds the release server (and the command-line
# client, build/release/src/vantrel-client) and runs it in the server
# folder FOLDER (default: ./server-folder), which is created when missing.
# Clients connect on port 5500. Ctrl-C (or SIGTERM) stops it.
set -euo pipefail
cd "$(dirname "$0")/.."

folder="${1:-server-folder}"
scripts/install-deps.sh
cmake --preset release >/dev/null
cmake --build --preset release --target vantrel-server vantrel-client
exec build/release/src/vantrel-server --dir "$folder"
