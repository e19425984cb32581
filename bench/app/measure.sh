#!/bin/bash
# Inner part of bench/app/run.sh, inside the X server. Prints one line per figure.
set -uo pipefail
work=$1 runs=$2
prog=$work/VemlaPlayer/VemlaPlayer
export SDL_AUDIODRIVER=dummy XDG_RUNTIME_DIR=$work/rt
unset QT_QPA_PLATFORM
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
hz=$(getconf CLK_TCK)

now_ms() { echo $(( $(date +%s%N) / 1000000 )); }
cpu_ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
rss_mib() { awk '/^VmRSS/ {printf "%.1f", $2 / 1024}' "/proc/$1/status"; }

# Starts the player; sets pid and ms, the milliseconds until its main window is mapped.
launch() {
  rm -f "$work/VemlaPlayer/VemlaPlayer.INI"
  local t0
  t0=$(now_ms)
  "$prog" >>"$work/player.log" 2>&1 &
  pid=$!
  until xdotool search --onlyvisible --name 'VemlaPlayer v1.0b' >/dev/null 2>&1; do
    kill -0 $pid 2>/dev/null || { echo "player ended" >&2; exit 1; }
  done
  ms=$(($(now_ms) - t0))
}
stop() { kill $pid 2>/dev/null; wait $pid 2>/dev/null; }
median() { sort -n | awk '{a[NR]=$1} END {print a[int((NR + 1) / 2)]}'; }

empty=() big=() idle=() play_rss=() play_cpu=()
for _ in $(seq 1 "$runs"); do
  rm -f "$work/VemlaPlayer/VemlaPlayer.M3U"
  launch; empty+=("$ms"); sleep 3; idle+=("$(rss_mib $pid)"); stop

  cp "$work/list40000.m3u" "$work/VemlaPlayer/VemlaPlayer.M3U"
  launch; big+=("$ms"); stop

  printf '#EXTM3U\r\n%s\r\n' "$work/tone300.mp3" >"$work/VemlaPlayer/VemlaPlayer.M3U"
  launch
  win=$(xdotool search --onlyvisible --name 'VemlaPlayer v1.0b' | head -1)
  xdotool windowfocus --sync "$win"; sleep 0.5; xdotool key x; sleep 2
  c0=$(cpu_ticks $pid); t0=$(now_ms); sleep 20
  c1=$(cpu_ticks $pid); t1=$(now_ms)
  play_cpu+=("$(awk -v c=$((c1 - c0)) -v t=$((t1 - t0)) -v hz=$hz 'BEGIN {printf "%.1f", c / hz / (t / 1000) * 100}')")
  play_rss+=("$(rss_mib $pid)")
  stop
done
printf 'launch -> main window shown, empty list, ms: %s (runs: %s)\n' "$(printf '%s\n' "${empty[@]}" | median)" "${empty[*]}"
printf 'launch -> main window shown, 40000-entry list, ms: %s (runs: %s)\n' "$(printf '%s\n' "${big[@]}" | median)" "${big[*]}"
printf 'RSS idle 3 s after start, MiB: %s (runs: %s)\n' "$(printf '%s\n' "${idle[@]}" | median)" "${idle[*]}"
printf 'RSS playing, MiB: %s (runs: %s)\n' "$(printf '%s\n' "${play_rss[@]}" | median)" "${play_rss[*]}"
printf 'CPU playing (20 s window), %% of one core: %s (runs: %s)\n' "$(printf '%s\n' "${play_cpu[@]}" | median)" "${play_cpu[*]}"
