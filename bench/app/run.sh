#!/bin/bash
# Start-up time, memory and CPU of the whole program under Xvfb (SDL dummy output):
#   launch -> main window shown, with an empty list and with a 40,000-entry autosave list;
#   RSS idle; RSS and CPU while playing a 5-minute MP3.
# Usage: bench/app/run.sh [runs]      (VEMLA_PROGRAM_DIR: a built program folder; default:
#        build/release/VemlaPlayer, built here when missing)
# The peers' figures come from /work/shared/tools/peers/run.sh with bench/app/ours.json, which
# runs the copy this script leaves in /tmp/vemla-bench/VemlaPlayer.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
runs=${1:-3}
src=${VEMLA_PROGRAM_DIR:-$root/build/release/VemlaPlayer}
if [ ! -x "$src/VemlaPlayer" ]; then
  cmake -S "$root" -B "$root/build/release" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DVEMLA_TESTS=OFF -DVEMLA_BENCH=OFF >/dev/null
  cmake --build "$root/build/release" -j2 --target VemlaPlayer >/dev/null
fi
for tool in Xvfb xdotool ffmpeg; do
  command -v $tool >/dev/null || { echo "bench/app needs $tool" >&2; exit 1; }
done

work=/tmp/vemla-bench
rm -rf "$work/VemlaPlayer"
mkdir -p "$work"
cp -r "$src" "$work/VemlaPlayer"
if [ ! -s "$work/tone300.mp3" ]; then
  ffmpeg -v error -y -f lavfi -i "sine=frequency=440:duration=300:sample_rate=44100" \
    -ac 2 -c:a libmp3lame -b:a 192k "$work/tone300.mp3"
fi
if [ ! -s "$work/list40000.m3u" ]; then
  python3 - "$work" <<'PY'
import sys
w = sys.argv[1]
with open(f"{w}/list40000.m3u", "w", newline="") as f:
    f.write("#EXTM3U\r\n")
    for i in range(1, 40001):
        f.write(f"#EXTINF:300,Artista {i % 97} - Cancion numero {i}\r\n{w}/tracks/track{i:05d}.mp3\r\n")
PY
fi
# An X server on a display it picks itself (-displayfd), so nothing races for a number.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb=$!
trap 'kill $xvfb 2>/dev/null' EXIT
for _ in $(seq 1 100); do [ -s "$work/display" ] && break; sleep 0.1; done
DISPLAY=:$(cat "$work/display") "$here/measure.sh" "$work" "$runs"
