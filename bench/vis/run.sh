#!/usr/bin/env bash
# 1. Drawing cost of one visualiser tick: median of 10,000 frames.
# 2. CPU of playing an MP3 through the audio layer (SDL dummy output) with the panel ticking,
#    under Xvfb when available.
# Usage: bench/vis/run.sh [frames] [seconds]   (build folder: $VEMLA_BENCH_BUILD, default build-bench)
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${VEMLA_BENCH_BUILD:-$root/build-bench}
if [ ! -f "$build/build.ninja" ]; then
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVEMLA_TESTS=OFF >/dev/null
fi
cmake --build "$build" -j2 --target vis_bench vis_panel_cpu >/dev/null
"$build/bench/vis/vis_bench" "${1:-10000}"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
ffmpeg -loglevel error -f lavfi -i "sine=frequency=440:duration=60" \
  -f lavfi -i "anoisesrc=color=pink:amplitude=0.2:duration=60" \
  -filter_complex "[0][1]amix=inputs=2" -ac 2 -ar 44100 -c:a libmp3lame -b:a 192k "$work/tone.mp3"
export SDL_AUDIODRIVER=dummy
if command -v xvfb-run >/dev/null; then
  QT_QPA_PLATFORM=xcb xvfb-run -a "$build/bench/vis/vis_panel_cpu" "$work/tone.mp3" "${2:-20}" 3
else
  QT_QPA_PLATFORM=offscreen "$build/bench/vis/vis_panel_cpu" "$work/tone.mp3" "${2:-20}" 3
fi
