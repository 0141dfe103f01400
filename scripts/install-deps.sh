#!/usr/bin/env bash
# Installs the Debian packages that building, testing, benchmarking and fuzzing need.
# Only missing packages are installed; running it again changes nothing. Needs root
# (or sudo) on Debian 12.
set -euo pipefail

packages=(
  cmake ninja-build g++ clang libclang-rt-14-dev clang-format clang-tidy
  libasio-dev libgtest-dev libgmock-dev libbenchmark-dev
  # Line editing and history for the consoles of vantrel-ctl and vantrel-client
  # (libedit: BSD-licensed).
  pkg-config libedit-dev
  # sd_notify, for the systemd service's readiness and stopping.
  libsystemd-dev
  # The Debian package: CPack's DEB generator runs dpkg-deb and dpkg-shlibdeps.
  dpkg-dev
  # bench/news sets the news category database against SQLite; built by default.
  libsqlite3-dev
  # The HTTP tunnel is tested through a real HTTP proxy, started by the test.
  tinyproxy
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

sudo=""
if [ "$(id -u)" -ne 0 ]; then
  sudo="sudo"
fi
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
