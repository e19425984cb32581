#!/usr/bin/env bash
# CD figures (Release build): the CD dialog filled for a 20-track disc image; the forced setup's
# share of the start-up with a 99-song list on a 99-track image and with hostile files; and the
# whole program's launch -> main window shown with that forced setup against an empty list.
# Usage: bench/cd/run.sh [runs]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
runs=${1:-5}
build=${BUILD_DIR:-$root/build/bench-cd}
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVEMLA_TESTS=OFF -DVEMLA_BENCH=ON >/dev/null
cmake --build "$build" -j2 --target VemlaPlayer cd_bench >/dev/null
work=$(mktemp -d /tmp/vemla-cd-bench-XXXXXX)
xvfb=
trap '[ -n "$xvfb" ] && kill $xvfb 2>/dev/null; rm -rf "$work"' EXIT

# 99 one-second tracks in one BIN; the 20-track cue lists the first 20 of them.
ffmpeg -nostdin -hide_banner -loglevel error -f lavfi -i "sine=frequency=440:duration=99:sample_rate=44100" \
  -ac 2 -f s16le "$work/disc.bin"
cue() {
  echo 'FILE "disc.bin" BINARY'
  for n in $(seq 1 "$1"); do
    s=$((n - 1))
    printf '  TRACK %02d AUDIO\n    TITLE "Cancion %d"\n    INDEX 01 %02d:%02d:00\n' "$n" "$n" $((s / 60)) $((s % 60))
  done
}
cue 20 >"$work/disc20.cue"
cue 99 >"$work/disc99.cue"
# libcdio takes the BIN beside a cue sheet by the sheet's own name.
ln "$work/disc.bin" "$work/disc20.bin"
ln "$work/disc.bin" "$work/disc99.bin"
"$build/bench/cd/cd_bench" "$work/disc20.cue" "$work/disc99.cue" "$work" 2>/dev/null

# The whole program under Xvfb: launch -> main window shown, median of $runs.
for tool in Xvfb xdpyinfo xdotool; do command -v $tool >/dev/null || { echo "needs $tool" >&2; exit 1; }; done
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
xvfb=$!
for _ in $(seq 1 100); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=:$(cat "$work/display") SDL_AUDIODRIVER=dummy XDG_RUNTIME_DIR=$work/rt
unset QT_QPA_PLATFORM
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
for _ in $(seq 1 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
cp -r "$build/VemlaPlayer" "$work/prog"
now_ms() { echo $(( $(date +%s%N) / 1000000 )); }
launch() {
  rm -f "$work/prog/VemlaPlayer.INI" "$work/prog/VemlaPlayer.M3U"
  local t0 pid
  t0=$(now_ms)
  VEMLA_CD_IMAGES=$work/disc99.cue "$work/prog/VemlaPlayer" >>"$work/player.log" 2>&1 &
  pid=$!
  until xdotool search --onlyvisible --name 'VemlaPlayer v1.0b' >/dev/null 2>&1; do
    kill -0 $pid 2>/dev/null || return 1
  done
  echo $(($(now_ms) - t0))
  kill $pid; wait $pid 2>/dev/null || true
}
# A player that could not reach the X server (others come and go on a busy machine) is
# started again.
measure() {
  local attempt
  for attempt in 1 2 3; do launch && return 0; done
  echo "the player ended before showing its window:" >&2
  tail -5 "$work/player.log" >&2
  exit 1
}
median() { sort -n | awk '{a[NR]=$1} END {print a[int((NR + 1) / 2)]}'; }
# Drive index of the image: after the machine's own drives.
devices=0
for f in /dev/sr*; do [ -e "$f" ] && devices=$((devices + 1)); done
{
  printf '[GENERAL]\r\nACTIVO=1\r\nPL_EXTEND=1\r\n[PL_EXTEND]\r\nUNIDAD=%d\r\nPISTAS=99\r\n' "$devices"
  for n in $(seq 1 99); do printf '[SONG%03d]\r\nTITLE=Cancion %d\r\nARTIST=Grupo\r\nTRACK=%d\r\n' "$n" "$n" "$n"; done
} >"$work/forced.ini"
empty=() forced=()
for _ in $(seq 1 "$runs"); do
  rm -f "$work/prog/obligador.ini"
  empty+=("$(measure)")
  cp "$work/forced.ini" "$work/prog/obligador.ini"
  forced+=("$(measure)")
done
printf 'launch -> main window shown, empty list, ms: %s (runs: %s)\n' "$(printf '%s\n' "${empty[@]}" | median)" "${empty[*]}"
printf 'launch -> main window shown, 99-song forced setup on an image, ms: %s (runs: %s)\n' "$(printf '%s\n' "${forced[@]}" | median)" "${forced[*]}"
