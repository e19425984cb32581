#!/bin/bash
# Drives the player inside an X server (run under xvfb-run): press X and see the visualiser
# draw, then B, then show and hide the information window with B_info, then close the player with its "Cerrar" button.
# Each step waits for what the previous one must have done (the tone in the sound output, the
# window, the exit), never for a fixed time, so a busy machine only makes it slower.
# Usage: drive.sh <program folder> <disk audio file> <log>
set -u
prog=$1 out=$2 log=$3
export SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=$out
unset SDL_DISKAUDIODELAY QT_QPA_PLATFORM
"$prog/VemlaPlayer" >"$log" 2>&1 &
pid=$!

heard() { python3 "$(dirname "$0")/heard.py" "$out" "$@"; }

win=
for _ in $(seq 1 600); do
  win=$(xdotool search --onlyvisible --name 'VemlaPlayer v1.0b' 2>/dev/null | head -1)
  [ -n "$win" ] && break
  kill -0 $pid 2>/dev/null || { echo "the player ended before showing its window"; exit 2; }
  sleep 0.1
done
[ -n "$win" ] || { echo "no main window"; kill $pid; exit 2; }
xdotool windowfocus --sync "$win"
# The visualiser area (99 x 35 at (195, 64)) as the X server holds it: how many white pixels.
white() {
  import -window "$win" -crop 99x35+195+64 +repage -depth 8 txt:- 2>/dev/null | grep -ci '#FFFFFF'
}
[ "$(white)" = 0 ] || { echo "the visualiser shows bars before anything plays"; kill $pid; exit 5; }
xdotool key x
heard 440 8 --key x || { kill $pid; exit 4; }
# While the tone plays its spectrum reaches the window: white bars at the low frequencies.
for _ in $(seq 1 600); do
  [ "$(white)" != 0 ] && break
  sleep 0.1
done
[ "$(white)" != 0 ] || { echo "no spectrum on the window while playing"; kill $pid; exit 5; }
# Paused, the last frame stays: once the area stops changing it still shows the bars.
area() { import -window "$win" -crop 99x35+195+64 +repage -depth 8 txt:- 2>/dev/null | md5sum; }
xdotool key c
held=
for _ in $(seq 1 300); do
  before=$(area)
  sleep 0.2
  [ "$(area)" = "$before" ] && { held=1; break; }
done
[ -n "$held" ] || { echo "the visualiser kept changing while paused"; kill $pid; exit 5; }
[ "$(white)" != 0 ] || { echo "pausing blanked the visualiser"; kill $pid; exit 5; }
xdotool key c
xdotool key b
heard 1500 8 || { kill $pid; exit 4; }
# B_info sits at (312, 100), 29 x 18 pixels; the first press shows "Informacion", the second
# hides it.
info_shown() { xdotool search --onlyvisible --name '^Informacion$' >/dev/null 2>&1; }
wait_info() {
  for _ in $(seq 1 600); do
    [ "$(info_shown && echo 1 || echo 0)" = "$1" ] && return 0
    sleep 0.1
  done
  return 1
}
xdotool mousemove --window "$win" 326 109 click 1
wait_info 1 || { echo "B_info did not show the information window"; kill $pid; exit 4; }
xdotool windowraise "$win"
xdotool mousemove --window "$win" 326 109 click 1
wait_info 0 || { echo "B_info did not hide the information window"; kill $pid; exit 4; }
# "Cerrar" sits at (323, 6), 11 x 10 pixels.
xdotool mousemove --window "$win" 328 11 click 1
ended() {
  for _ in $(seq 1 600); do
    kill -0 $pid 2>/dev/null || return 0
    sleep 0.1
  done
  return 1
}
if ! ended; then
  # A logout's SIGTERM closes the player as its button does.
  echo "the Cerrar button did not close the player; sending SIGTERM"
  kill -TERM $pid
  ended || { echo "the player did not close"; kill -KILL $pid; exit 3; }
fi
wait $pid
