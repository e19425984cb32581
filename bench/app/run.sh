#!/bin/bash
# Start-up time, memory and CPU of the whole program under Xvfb (SDL dummy output):
#   launch -> main window shown, with an empty list and with a 40,000-entry autosave list;
#   RSS idle; RSS and CPU while playing a 5-minute MP3.
#   And the playlist window handed 500 MP3 files at once (the longest event-loop stall).
# Usage: bench/app/run.sh [runs]      (builds build/bench-app in Release; VEMLA_PROGRAM_DIR may
#        name another built program folder to measure)
# The same figures beside the peer players come from bench/peers/run.sh.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
runs=${1:-3}
build=${BUILD_DIR:-$root/build/bench-app}
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVEMLA_TESTS=OFF -DVEMLA_BENCH=ON >/dev/null
cmake --build "$build" -j2 --target VemlaPlayer handover_bench >/dev/null
src=${VEMLA_PROGRAM_DIR:-$build/VemlaPlayer}
for tool in Xvfb xdpyinfo xdotool ffmpeg; do
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
if [ ! -s "$work/many/t500.mp3" ]; then
  mkdir -p "$work/many"
  ffmpeg -v error -y -f lavfi -i "sine=frequency=440:duration=30" -ac 2 -c:a libmp3lame \
    -b:a 192k "$work/base.mp3"
  for i in $(seq -w 1 500); do cp "$work/base.mp3" "$work/many/t$i.mp3"; done
fi
"$build/bench/app/handover_bench" "$work/many" 2>/dev/null
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
# An X server of our own on a display it picks itself (-displayfd). Should the player still fail
# to reach it (other X servers come and go on this machine), the measurement is tried again.
xvfb=
trap '[ -n "$xvfb" ] && kill $xvfb 2>/dev/null' EXIT
start_x() {
  rm -f "$work/display"
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
  xvfb=$!
  for _ in $(seq 1 100); do [ -s "$work/display" ] && break; sleep 0.1; done
  [ -s "$work/display" ] || return 1
  export DISPLAY=:$(cat "$work/display")
  for _ in $(seq 1 50); do xdpyinfo >/dev/null 2>&1 && return 0; sleep 0.1; done
  return 1
}
for attempt in 1 2 3; do
  start_x || { echo "no X server could be started" >&2; exit 1; }
  if "$here/measure.sh" "$work" "$runs"; then exit 0; fi
  kill $xvfb 2>/dev/null
  xvfb=
  echo "measurement $attempt failed (see $work/player.log); trying again" >&2
done
exit 1
