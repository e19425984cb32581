#!/usr/bin/env bash
# Player core figures: list load/write at 40,000 entries, adding 1,000 MP3 files (against
# ffprobe on the same files), PlaySelected to the first sample at the device.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${BUILD_DIR:-$root/build/bench-core}
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVEMLA_TESTS=OFF >/dev/null
cmake --build "$build" -j2 --target core_bench >/dev/null
work=$(mktemp -d /tmp/vemla-core-bench-XXXXXX)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/mp3"
ffmpeg -nostdin -hide_banner -loglevel error -f lavfi -i "sine=frequency=440:duration=30" -ac 2 \
  -c:a libmp3lame -b:a 192k -id3v2_version 3 -metadata title="Canción de prueba" \
  -metadata artist="Grupo" -metadata album="Disco" -metadata track=3 "$work/base.mp3"
for i in $(seq -w 1 1000); do cp "$work/base.mp3" "$work/mp3/tema$i.mp3"; done
ffmpeg -nostdin -hide_banner -loglevel error -f lavfi -i "sine=frequency=440:duration=5" -ac 2 "$work/play.wav"
ffmpeg -nostdin -hide_banner -loglevel error -f lavfi -i "sine=frequency=440:duration=5" -ac 2 \
  -c:a libmp3lame -b:a 192k "$work/play.mp3"
"$build/bench/core/core_bench" "$work" "$work/mp3" "$work/play.wav" "$work/play.mp3" 2>/dev/null
start=$(date +%s%N)
for f in "$work"/mp3/*.mp3; do ffprobe -v error -show_format -show_streams "$f" >/dev/null; done
end=$(date +%s%N)
ms=$(( (end - start) / 1000000 ))
echo "ffprobe on the same 1000 files (one process each): ${ms} ms, $(( 1000 * 1000 / (ms > 0 ? ms : 1) )) files/s"
