#!/bin/bash
# Starts the player with an unreadable SDL ahead of the real one (run under xvfb-run): it must
# tell the user the audio device cannot be opened, then end with 1 once that box is closed.
# Prints key=value lines.
# Usage: no_sound_lib.sh <program folder> <scratch folder>
set -u
unset QT_QPA_PLATFORM
prog=$1 scratch=$2
mkdir -p "$scratch/lib"
echo "not a library" >"$scratch/lib/libSDL2-2.0.so.0"
LD_LIBRARY_PATH="$scratch/lib" "$prog/VemlaPlayer" >"$scratch/player.log" 2>&1 &
pid=$!
win=
for _ in $(seq 1 600); do
  win=$(xdotool search --onlyvisible --name '^Error$' 2>/dev/null | head -1)
  [ -n "$win" ] && break
  kill -0 $pid 2>/dev/null || break
  sleep 0.1
done
echo "title=$(xdotool getwindowname "$win" 2>/dev/null)"
xdotool windowfocus --sync "$win" key Return 2>/dev/null
for _ in $(seq 1 600); do
  kill -0 $pid 2>/dev/null || break
  sleep 0.1
done
if kill -0 $pid 2>/dev/null; then
  kill -KILL $pid
  echo "error=did not end"
fi
wait $pid
echo "rc=$?"
