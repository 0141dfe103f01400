#!/usr/bin/env bash
# Builds the Debian package of the server (build/package/vantrel-server_*.deb)
# with CPack and checks that it holds both programs, the systemd unit and both
# man pages; where systemd-analyze is installed, the unit is verified too.
set -euo pipefail
cd "$(dirname "$0")/.."

launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi
cmake --preset package "${launcher[@]}" >/dev/null
cmake --build --preset package
(cd build/package && cpack -G DEB >/dev/null)
deb="$(ls build/package/vantrel-server_*.deb)"
echo "== $deb"

contents="$(dpkg-deb -c "$deb")"
status=0
for file in ./usr/sbin/vantrel-server ./usr/bin/vantrel-ctl \
            ./usr/lib/systemd/system/vantrel-server.service \
            ./usr/share/man/man8/vantrel-server.8.gz ./usr/share/man/man1/vantrel-ctl.1.gz; do
  if ! grep -q " $file\$" <<<"$contents"; then
    echo "missing from the package: $file"
    status=1
  fi
done
for script in postinst prerm postrm; do
  if ! dpkg-deb -I "$deb" "$script" >/dev/null 2>&1; then
    echo "missing from the package: the $script script"
    status=1
  fi
done

if command -v systemd-analyze >/dev/null; then
  # Verified as installed, beside the system's own units: the unit names the
  # programs by their installed paths. A warning fails the check too.
  root="$(mktemp -d)"
  trap 'rm -rf "$root"' EXIT
  dpkg-deb -x "$deb" "$root"
  for units in /lib/systemd/system /usr/lib/systemd/system; do
    [ -d "$units" ] && cp -rn "$units/." "$root/usr/lib/systemd/system/"
  done
  if ! report="$(systemd-analyze verify --man=no --root="$root" \
      "$root/usr/lib/systemd/system/vantrel-server.service" 2>&1)" || [ -n "$report" ]; then
    echo "$report"
    status=1
  fi
else
  echo "systemd-analyze is not installed: the unit is not verified"
fi
[ "$status" -eq 0 ] && echo "package checked"
exit "$status"
