#!/bin/bash
# Starts the player with an empty list (run under xvfb-run): while it sits idle the decoding
# libraries stay unloaded; a file handed over by a second copy then plays. Prints key=value lines.
# Usage: lazy.sh <program folder> <song> <disk audio file>
set -u
prog=$1 song=$2 out=$3
export SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=$out
unset SDL_DISKAUDIODELAY QT_QPA_PLATFORM
"$prog/VemlaPlayer" >"$prog/player.log" 2>&1 &
pid=$!
for _ in $(seq 1 600); do
  xdotool search --onlyvisible --pid $pid >/dev/null 2>&1 && break
  sleep 0.1
done
mapped() { grep -cE "libav(format|util)" "/proc/$pid/maps"; }
# Idle for a while after the window shows: long past the moment a list's songs load them.
for _ in $(seq 1 30); do
  [ "$(mapped)" = 0 ] || break
  sleep 0.1
done
echo "idle_mapped=$(mapped)"
"$prog/VemlaPlayer" "$song" >>"$prog/player.log" 2>&1
echo "handed_over=$?"
python3 "$(dirname "$0")/heard.py" "$out" 440 10 && echo "played=1"
echo "playing_mapped=$(mapped)"
kill -TERM $pid
for _ in $(seq 1 600); do
  kill -0 $pid 2>/dev/null || exit 0
  sleep 0.1
done
kill -KILL $pid
echo "error=did not end"
