#!/bin/bash
# The desktop integration's cost and speed, in one X server and one private session bus:
#   launch -> main window mapped, with and without the session bus (so with and without the
#   media-control service), runs interleaved, median of each; and the service's own start-up
#   work timed in-process (finer than a whole launch on a busy machine);
#   PlayPause sent over the bus -> the first sound in SDL's disk output, and the pause key C
#   -> the same, so the bus's share shows;
#   the longest pause of the window while 1,000 media-control calls arrive in a second.
# Usage: bench/desktop/run.sh [runs]   (builds build/bench-desktop in Release)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
runs=${1:-20}
build=${BUILD_DIR:-$root/build/bench-desktop}
for tool in Xvfb dbus-run-session dbus-send ffmpeg python3; do
  command -v $tool >/dev/null || { echo "bench/desktop needs $tool" >&2; exit 1; }
done
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVEMLA_TESTS=OFF -DVEMLA_BENCH=ON >/dev/null
cmake --build "$build" -j2 --target VemlaPlayer peer_probe mpris_start_bench >/dev/null
work=$(mktemp -d /tmp/vemla-desktop-bench-XXXXXX)
xvfb=
trap '[ -n "$xvfb" ] && kill $xvfb 2>/dev/null; rm -rf "$work"' EXIT
cp -r "$build/VemlaPlayer" "$work/prog"
ffmpeg -v error -y -f lavfi -i "sine=frequency=440:duration=120:sample_rate=44100" -ac 2 \
  "$work/tone.wav"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb=$!
for _ in $(seq 1 100); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=:$(cat "$work/display")
dbus-run-session -- "$build/bench/desktop/mpris_start_bench" 2>/dev/null
dbus-run-session -- python3 "$here/measure.py" "$work" "$runs" "$build/bench/peers/peer_probe"
