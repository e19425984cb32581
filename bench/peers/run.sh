#!/usr/bin/env bash
# VemlaPlayer beside the peer players (Debian's audacious and qmmp), under one Xvfb with the same
# media, interleaved run by run; prints a table of medians (see compare.py for the figures).
# Usage: bench/peers/run.sh [--install] [--quick] [--runs N] [--peers audacious,qmmp]
#        [--tests startup,play,list] [--baseline <program folder>]
#   --install  installs the peer players and what the measurement needs (apt-get, root or sudo)
#   --quick    1 run, 5 s CPU window, a 1,000-entry list instead of 40,000
#   --baseline also measures another build of the player (its program folder, e.g. the
#              build/…/VemlaPlayer of an older checkout), so before and after share one run
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
install=0 runs=5 window=20 count=40000 peers=audacious,qmmp tests=startup,play,list baseline=
while [ $# -gt 0 ]; do
  case "$1" in
    --install) install=1 ;;
    --quick) runs=1 window=5 count=1000 ;;
    --runs) runs=$2; shift ;;
    --peers) peers=$2; shift ;;
    --tests) tests=$2; shift ;;
    --baseline) baseline=$(cd "$2" && pwd); shift ;;
    *) echo "unknown option $1" >&2; exit 2 ;;
  esac
  shift
done
if [ $install = 1 ]; then
  sudo_cmd=()
  [ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
  "${sudo_cmd[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends \
    audacious audacious-plugins qmmp dbus-daemon xvfb xdotool ffmpeg libx11-dev python3
fi
for tool in Xvfb xdotool ffmpeg dbus-daemon python3; do
  command -v $tool >/dev/null || { echo "bench/peers needs $tool (try --install)" >&2; exit 1; }
done

build=${BUILD_DIR:-$root/build/bench-peers}
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVEMLA_TESTS=OFF -DVEMLA_BENCH=ON >/dev/null
cmake --build "$build" -j2 --target VemlaPlayer peer_probe >/dev/null

work=${WORK:-/tmp/vemla-peers}
mkdir -p "$work"
rm -rf "$work/VemlaPlayer"
cp -r "$build/VemlaPlayer" "$work/VemlaPlayer"
extra=()
if [ -n "$baseline" ]; then
  rm -rf "$work/VemlaPlayer-before"
  cp -r "$baseline" "$work/VemlaPlayer-before"
  extra=(--baseline "$work/VemlaPlayer-before")
fi
media=$work/media
mkdir -p "$media/tracks"
if [ ! -s "$media/tone120.mp3" ]; then
  # Chords over pink noise so decoders and visualisers see real-looking music.
  ffmpeg -v error -y -f lavfi -i "sine=frequency=220:duration=120" \
    -f lavfi -i "sine=frequency=277:duration=120" -f lavfi -i "sine=frequency=330:duration=120" \
    -f lavfi -i "anoisesrc=color=pink:amplitude=0.1:duration=120" \
    -filter_complex "amix=inputs=4,volume=2" -ac 2 -ar 44100 -c:a libmp3lame -b:a 192k \
    -metadata title="Tono de prueba" -metadata artist="Banco" "$media/tone120.mp3"
fi
if [ ! -s "$media/list$count.m3u" ]; then
  python3 - "$media" "$count" <<'PY'
import os, sys
media, n = sys.argv[1], int(sys.argv[2])
with open(f"{media}/list{n}.m3u", "w", newline="") as f:
    f.write("#EXTM3U\r\n")
    for i in range(1, n + 1):
        t = f"{media}/tracks/track{i:05d}.mp3"
        if not os.path.islink(t):
            os.symlink(f"{media}/tone120.mp3", t)
        f.write(f"#EXTINF:120,Artista {i % 97} - Cancion numero {i}\r\n{t}\r\n")
PY
fi
ln -sf "list$count.m3u" "$media/list.m3u"

xvfb= bus=
cleanup() {
  [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null
  [ -n "$bus" ] && kill "$bus" 2>/dev/null
  true
}
trap cleanup EXIT
rm -f "$work/display"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb=$!
for _ in $(seq 1 100); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || { echo "no X server could be started" >&2; exit 1; }
export DISPLAY=:$(cat "$work/display")
# One session bus for every player, as on a desktop (the peers are controlled through it).
read -r DBUS_SESSION_BUS_ADDRESS bus < <(dbus-daemon --session --fork --print-address=1 --print-pid=1 | paste -sd' ')
export DBUS_SESSION_BUS_ADDRESS

python3 "$here/compare.py" --program "$work/VemlaPlayer" --probe "$build/bench/peers/peer_probe" \
  --media "$media" --count "$count" --runs "$runs" --window "$window" --peers "$peers" --tests "$tests" "${extra[@]}"
