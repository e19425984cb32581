#!/bin/bash
# A logout's SIGTERM that arrives as the main window appears still ends the player (run under
# xvfb-run). Five tries. Usage: term_early.sh <program folder>
set -u
prog=$1
export SDL_AUDIODRIVER=dummy ASAN_OPTIONS=detect_leaks=0
unset QT_QPA_PLATFORM
for try in 1 2 3 4 5; do
  "$prog/VemlaPlayer" >>"$prog/player.log" 2>&1 &
  pid=$!
  for _ in $(seq 1 12000); do
    xdotool search --onlyvisible --pid $pid >/dev/null 2>&1 && break
    kill -0 $pid 2>/dev/null || {
      echo "try $try: the player ended before showing its window"
      tail -20 "$prog/player.log"
      exit 2
    }
    sleep 0.005
  done
  kill -TERM $pid
  for _ in $(seq 1 1200); do
    kill -0 $pid 2>/dev/null || break
    sleep 0.05
  done
  if kill -0 $pid 2>/dev/null; then
    echo "try $try: SIGTERM did not end the player"
    kill -KILL $pid
    exit 3
  fi
  wait $pid
  rc=$?
  # Saved and closed (0), or ended by the signal before the player could catch it (143).
  [ $rc -eq 0 ] || [ $rc -eq 143 ] || { echo "try $try: the player ended with status $rc"; exit 4; }
done
