#!/bin/bash
# Starts the player inside an X server (run under xvfb-run), lets it play by itself until its
# output holds <windows> 100 ms windows of a <hz> tone, and closes it with its "Cerrar" button.
# Usage: drive_forced.sh <program folder> <disk audio file> <log> <hz> <windows>
set -u
prog=$1 out=$2 log=$3 hz=$4 windows=$5
export SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=$out
unset SDL_DISKAUDIODELAY QT_QPA_PLATFORM
"$prog/VemlaPlayer" >"$log" 2>&1 &
pid=$!
win=
for _ in $(seq 1 600); do
  win=$(xdotool search --onlyvisible --name 'VemlaPlayer v1.0b' 2>/dev/null | head -1)
  [ -n "$win" ] && break
  kill -0 $pid 2>/dev/null || { echo "the player ended before showing its window"; exit 2; }
  sleep 0.1
done
[ -n "$win" ] || { echo "no main window"; kill $pid; exit 2; }
python3 "$(dirname "$0")/heard.py" "$out" "$hz" "$windows" || { kill $pid; exit 4; }
xdotool windowfocus --sync "$win"
xdotool mousemove --window "$win" 328 11 click 1
for _ in $(seq 1 600); do
  kill -0 $pid 2>/dev/null || break
  sleep 0.1
done
if kill -0 $pid 2>/dev/null; then
  echo "the Cerrar button did not close the player; sending SIGTERM"
  kill -TERM $pid
  for _ in $(seq 1 600); do
    kill -0 $pid 2>/dev/null || break
    sleep 0.1
  done
  kill -0 $pid 2>/dev/null && { kill -KILL $pid; exit 3; }
fi
wait $pid
