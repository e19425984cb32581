#!/usr/bin/env bash
# Audio layer figures, on a Release build in build/bench.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${BUILD_DIR:-$root/build/bench}
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVEMLA_TESTS=OFF >/dev/null
cmake --build "$build" -j2 --target audio_bench untrusted_bench >/dev/null
work=$(mktemp -d /tmp/vemla-audio-bench-XXXXXX)
trap 'rm -rf "$work"' EXIT
src="aevalsrc=0.4*sin(2*PI*440*t)+0.1*sin(2*PI*3000*t)|0.4*sin(2*PI*554*t)+0.1*sin(2*PI*5000*t):s=44100:d=300"
ffmpeg -nostdin -hide_banner -loglevel error -f lavfi -i "$src" -c:a libmp3lame -b:a 192k "$work/long.mp3"
ffmpeg -nostdin -hide_banner -loglevel error -f lavfi -i "$src" -c:a flac "$work/long.flac"
SDL_AUDIODRIVER=dummy "$build/bench/audio/audio_bench" "$work/long.mp3" "$work/long.flac"

# Odd and hostile files: zero-filled tails (a pre-allocated download), an 8 GB sparse file, an
# ID3v2 tag that claims 256 MB of padding, and list formats named as audio that name a FIFO.
head -c 16384 "$work/long.mp3" >"$work/prealloc.mp3" && truncate -s 200M "$work/prealloc.mp3"
head -c 16384 "$work/long.flac" >"$work/prealloc.flac" && truncate -s 200M "$work/prealloc.flac"
head -c 16384 "$work/long.flac" >"$work/sparse.flac" && truncate -s 8G "$work/sparse.flac"
printf 'ID3\3\0\0\177\177\177\177' >"$work/hugetag.mp3" && truncate -s 300M "$work/hugetag.mp3"
# Raw ADTS has no index: a far seek reads its way there, many read budgets long.
ffmpeg -nostdin -hide_banner -loglevel error -f lavfi -i "sine=f=440:d=1200" -ac 2 -c:a aac \
  -b:a 128k "$work/long.aac"
mkfifo "$work/y.wav"
printf 'ffconcat version 1.0\nfile y.wav\n' >"$work/fifo_concat.mp3"
printf '#EXTM3U\n#EXT-X-TARGETDURATION:10\n#EXTINF:1.0,\ny.wav\n#EXT-X-ENDLIST\n' >"$work/hls.mp3"
"$build/bench/audio/untrusted_bench" "$work/long.mp3" "$work/long.flac" "$work/long.aac" \
  "$work/prealloc.mp3" "$work/prealloc.flac" "$work/sparse.flac" "$work/hugetag.mp3" \
  "$work/fifo_concat.mp3" "$work/hls.mp3"
