#!/usr/bin/env bash
# Builds the Release program and its Debian package, then lists what the package holds and
# what it depends on (dependencies from the linked shared libraries, dpkg-shlibdeps).
# Usage: scripts/package.sh    (leaves build/release/vemlaplayer_<version>_<arch>.deb)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build/release}
for tool in cpack dpkg-deb dpkg-shlibdeps; do
  command -v $tool >/dev/null || { echo "packaging needs $tool (dpkg-dev)" >&2; exit 1; }
done
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVEMLA_TESTS=OFF \
  -DVEMLA_BENCH=OFF >/dev/null
cmake --build "$build" -j2 >/dev/null
(cd "$build" && cpack -G DEB >/dev/null 2>&1)
deb=$(ls -t "$build"/vemlaplayer_*.deb | head -1)
echo "== $deb ($(stat -c %s "$deb") bytes)"
dpkg-deb --field "$deb" Package Version Architecture Depends Installed-Size
echo "== contents"
dpkg-deb --contents "$deb" | awk '{print $6, $7, $8}'
# Its dependencies resolve on this system (nothing is installed).
if command -v apt-get >/dev/null; then
  apt-get install --simulate "$deb" >/dev/null 2>&1 && echo "dependencies: resolvable here"
fi
# The menu entry and metainfo as packed must still validate.
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
dpkg-deb -x "$deb" "$tmp"
if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$tmp/usr/share/applications/vemlaplayer.desktop" && echo "desktop entry: valid"
fi
if command -v appstreamcli >/dev/null; then
  appstreamcli validate --no-net "$tmp"/usr/share/metainfo/*.metainfo.xml >/dev/null && echo "metainfo: valid"
fi
