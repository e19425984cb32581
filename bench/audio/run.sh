#!/usr/bin/env bash
# Audio layer figures, on a Release build in build/bench.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${BUILD_DIR:-$root/build/bench}
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVEMLA_TESTS=OFF >/dev/null
cmake --build "$build" -j2 --target audio_bench >/dev/null
work=$(mktemp -d /tmp/vemla-audio-bench-XXXXXX)
trap 'rm -rf "$work"' EXIT
src="aevalsrc=0.4*sin(2*PI*440*t)+0.1*sin(2*PI*3000*t)|0.4*sin(2*PI*554*t)+0.1*sin(2*PI*5000*t):s=44100:d=300"
ffmpeg -nostdin -hide_banner -loglevel error -f lavfi -i "$src" -c:a libmp3lame -b:a 192k "$work/long.mp3"
ffmpeg -nostdin -hide_banner -loglevel error -f lavfi -i "$src" -c:a flac "$work/long.flac"
SDL_AUDIODRIVER=dummy "$build/bench/audio/audio_bench" "$work/long.mp3" "$work/long.flac"
