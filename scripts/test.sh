#!/usr/bin/env bash
# Installs what is missing, builds with AddressSanitizer and
# UndefinedBehaviorSanitizer, runs every test, builds and checks the Debian
# package, then runs each fuzz target briefly. Exits non-zero on any failure.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake --preset debug
cmake --build --preset debug
ctest --preset debug
scripts/build-package.sh
scripts/run-fuzzers.sh "${FUZZ_SECONDS:-20}"
