#!/usr/bin/env bash
# The mini window's figures, in a virtual X server with a window manager (openbox) and a
# notification area (trayer):
#  1. minimise -> mini window mapped, median of N round trips; memory it adds; 200 rapid
#     minimise/restore round trips (20 a second);
#  2. CPU of the whole player playing an MP3 with the main window up, then with the mini window
#     up instead (SDL disk output, 10 s each).
# Usage: bench/mini/run.sh [rounds] [seconds]   (build folder: $VEMLA_BENCH_BUILD, default build-bench)
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${VEMLA_BENCH_BUILD:-$root/build-bench}
if [ "${1:-}" = --inside ]; then
  shift
  rounds=$1 seconds=$2 work=$3
  openbox >/dev/null 2>&1 &
  wm=$!
  trayer --edge top --align right --widthtype request --height 24 >/dev/null 2>&1 &
  panel=$!
  trap 'kill $wm $panel 2>/dev/null' EXIT
  sleep 2
  "$build/bench/mini/mini_bench" "$rounds" 2>/dev/null
  # CPU ticks (user + system) of the process, 1/100 s each.
  ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
  export SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=$work/out.raw
  "$work/prog/VemlaPlayer" >"$work/player.log" 2>&1 &
  pid=$!
  main=
  for _ in $(seq 1 300); do
    main=$(xdotool search --onlyvisible --name 'VemlaPlayer v1.0b' 2>/dev/null | head -1 || true)
    [ -n "$main" ] && break
    sleep 0.1
  done
  [ -n "$main" ] || { echo "the player did not come up"; kill $pid; exit 1; }
  xdotool windowfocus --sync "$main"
  xdotool key x
  sleep 3
  a=$(ticks $pid); sleep "$seconds"; b=$(ticks $pid)
  xdotool mousemove --window "$main" 302 11 click 1  # B_Min
  sleep 3
  c=$(ticks $pid); sleep "$seconds"; d=$(ticks $pid)
  awk -v a=$a -v b=$b -v c=$c -v d=$d -v s=$seconds 'BEGIN {
    printf "whole-program CPU playing an MP3: main window up %.1f %%, mini window up %.1f %%\n",
           (b - a) / s, (d - c) / s }'
  kill -TERM $pid
  wait $pid || true
  exit 0
fi

if [ ! -f "$build/build.ninja" ]; then
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVEMLA_TESTS=OFF >/dev/null
fi
cmake --build "$build" -j2 --target mini_bench VemlaPlayer vemla_skin >/dev/null
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp -r "$build/VemlaPlayer" "$work/prog"
ffmpeg -loglevel error -f lavfi -i "sine=frequency=440:duration=60" -ac 2 -ar 44100 \
  -c:a libmp3lame -b:a 192k "$work/tone.mp3"
printf '#EXTM3U\n#EXTINF:60,Tono\n%s\n' "$work/tone.mp3" >"$work/prog/VemlaPlayer.M3U"
mkdir -m 700 "$work/runtime"
# A private runtime folder: no other running copy is told to restore itself.
XDG_RUNTIME_DIR=$work/runtime QT_QPA_PLATFORM=xcb xvfb-run -a -s '-screen 0 1024x768x24' \
  "$0" --inside "${1:-50}" "${2:-10}" "$work"
