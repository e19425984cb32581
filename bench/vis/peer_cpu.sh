#!/usr/bin/env bash
# CPU of the whole player playing an MP3 with the spectrum running, measured in the same run as
# the peer players of the reference tool (SDL dummy output for all).
# Usage: bench/vis/peer_cpu.sh [runs]
#   PEERS_DIR: the peer measurement tool (default /work/shared/tools/peers); it installs the
#   peers' packages on first use and needs root for that.
#   VEMLA_RELEASE_BUILD: Release build folder to use (default build-release, built if needed).
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
peers=${PEERS_DIR:-/work/shared/tools/peers}
build=${VEMLA_RELEASE_BUILD:-$root/build-release}
if [ ! -f "$build/build.ninja" ]; then
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVEMLA_TESTS=OFF >/dev/null
fi
cmake --build "$build" -j2 --target VemlaPlayer >/dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp -r "$build/VemlaPlayer" "$work/program"

# The player reads no arguments: each run gets a fresh copy whose autosave list holds the file,
# and play is pressed on the main window once it is up.
cat > "$work/launch.sh" <<'LAUNCH'
#!/bin/bash
set -eu
dest=$HOME/vemla
rm -rf "$dest"
cp -r "$VEMLA_PEER_PROGRAM" "$dest"
printf '#EXTM3U\n%s\n' "$1" > "$dest/VemlaPlayer.M3U"
( wid=$(xdotool search --sync --onlyvisible --name '^VemlaPlayer v1.0b$' | head -1)
  sleep 1
  xdotool mousemove --window "$wid" 59 155 click 1 ) >/dev/null 2>&1 &
exec "$dest/VemlaPlayer"
LAUNCH
chmod +x "$work/launch.sh"
cat > "$work/ours.json" <<JSON
{
  "name": "ours",
  "label": "VemlaPlayer (Release build)",
  "env": {"QT_QPA_PLATFORM": "xcb", "SDL_AUDIODRIVER": "dummy",
          "VEMLA_PEER_PROGRAM": "$work/program"},
  "launch_empty": ["$work/program/VemlaPlayer"],
  "launch_play": ["$work/launch.sh", "{file}"],
  "version_cmd": ["echo", "VemlaPlayer v1.0b"]
}
JSON
"$peers/run.sh" --peers audacious,ours --peer-file "$work/ours.json" --tests play --runs "${1:-3}"
