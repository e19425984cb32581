#!/usr/bin/env bash
# Where the CPU goes while the player plays the 120 s MP3 with the visualiser on: CPU time per
# thread (from the kernel's schedstat, in ns) over a window, or with --callgrind the
# instructions each thread ran in that window (slow, but exact and repeatable on a busy
# machine; read the files with callgrind_annotate). --wakes adds what a bare wake-up at the
# same 25 Hz costs a plain thread and the toolkit's event loop here (WakeCost.cpp).
# Usage: bench/peers/threads.sh [--seconds N] [--callgrind DIR] [--wakes] <program folder>...
#   The program folders are build/…/VemlaPlayer of the builds to compare; each is measured in
#   turn. The media comes from bench/peers/run.sh (WORK, default /tmp/vemla-peers).
set -euo pipefail
seconds=20 callgrind= wakes=0 programs=()
while [ $# -gt 0 ]; do
  case "$1" in
    --seconds) seconds=$2; shift ;;
    --callgrind) callgrind=$(mkdir -p "$2" && cd "$2" && pwd); shift ;;
    --wakes) wakes=1 ;;
    *) programs+=("$(cd "$1" && pwd)") ;;
  esac
  shift
done
[ ${#programs[@]} -gt 0 ] || { echo "usage: $0 [--seconds N] [--callgrind DIR] [--wakes] <program folder>..." >&2; exit 2; }
media=${WORK:-/tmp/vemla-peers}/media/tone120.mp3
[ -s "$media" ] || { echo "no $media: run bench/peers/run.sh --tests play once first" >&2; exit 1; }

tmp=$(mktemp -d)
xvfb= bus= pid=
cleanup() {
  [ -n "$pid" ] && kill "$pid" 2>/dev/null
  [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null
  [ -n "$bus" ] && kill "$bus" 2>/dev/null
  rm -rf "$tmp"
}
trap cleanup EXIT
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$tmp/display" 2>/dev/null &
xvfb=$!
for _ in $(seq 1 100); do [ -s "$tmp/display" ] && break; sleep 0.1; done
export DISPLAY=:$(cat "$tmp/display")
read -r DBUS_SESSION_BUS_ADDRESS bus < <(dbus-daemon --session --fork --print-address=1 --print-pid=1 | paste -sd' ')
export DBUS_SESSION_BUS_ADDRESS SDL_AUDIODRIVER=dummy QT_QPA_PLATFORM=xcb

# thread id, name and CPU ns of every thread of $pid
snapshot() {
  for t in /proc/$pid/task/*; do
    printf '%s %s %s\n' "${t##*/}" "$(tr ' ' _ <"$t/comm")" "$(cut -d' ' -f1 "$t/schedstat")"
  done 2>/dev/null | sort
}

n=0
for program in "${programs[@]}"; do
  n=$((n + 1))
  run=$tmp/run
  rm -rf "$run"
  cp -r "$program" "$run"
  printf '#EXTM3U\r\n%s\r\n' "$media" >"$run/VemlaPlayer.M3U"
  rm -f "$run/VemlaPlayer.INI"
  export HOME=$tmp/home XDG_CONFIG_HOME=$tmp/home/.config XDG_RUNTIME_DIR=$tmp/home/rt
  rm -rf "$HOME"
  mkdir -p -m 700 "$XDG_RUNTIME_DIR"
  if [ -n "$callgrind" ]; then
    out=$callgrind/program$n.out
    (cd "$run" && exec valgrind -q --tool=callgrind --separate-threads=yes --instr-atstart=no \
       --callgrind-out-file="$out" ./VemlaPlayer) 2>/dev/null &
  else
    (cd "$run" && exec ./VemlaPlayer) 2>/dev/null &
  fi
  pid=$!
  win=
  for _ in $(seq 1 600); do
    win=$(xdotool search --onlyvisible --pid $pid 2>/dev/null | head -1 || true)
    [ -n "$win" ] && break
    sleep 0.2
  done
  [ -n "$win" ] || { echo "$program: no window" >&2; exit 1; }
  # X plays the selected row; the first seconds (buffers filling) are left out.
  xdotool windowfocus --sync "$win" key x
  sleep 3
  echo "== program $n: $program ($seconds s of playing)"
  if [ -n "$callgrind" ]; then
    callgrind_control -i on $pid >/dev/null 2>&1
    sleep "$seconds"
    callgrind_control -d $pid >/dev/null 2>&1
    for f in "$out"*-[0-9]*; do
      ir=$(sed -n 's/^summary: //p' "$f")
      if [ "${ir:-0}" -gt 0 ]; then echo "thread ${f##*-}: $((ir / seconds)) instructions/s ($f)"; fi
    done
  else
    snapshot >"$tmp/t0"
    sleep "$seconds"
    snapshot >"$tmp/t1"
    join "$tmp/t0" "$tmp/t1" | awk -v s="$seconds" \
      '{ms = ($5 - $3) / 1e6; total += ms; if (ms > 0) printf "%-8s %-16s %8.1f ms  %.3f %%\n", $1, $2, ms, ms / s / 10}
       END { printf "%-25s %8.1f ms  %.3f %%\n", "all threads", total, total / s / 10 }'
  fi
  kill $pid 2>/dev/null
  wait $pid 2>/dev/null || true
  pid=
done
if [ $wakes = 1 ]; then
  root=$(cd "$(dirname "$0")/../.." && pwd)
  build=${BUILD_DIR:-$root/build/bench-peers}
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVEMLA_TESTS=OFF -DVEMLA_BENCH=ON >/dev/null
  cmake --build "$build" -j2 --target wake_cost >/dev/null
  "$build/bench/peers/wake_cost" 2>/dev/null
fi
