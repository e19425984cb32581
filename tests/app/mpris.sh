#!/bin/bash
# Drives the player through the desktop's media controls (run under xvfb-run and
# dbus-run-session): playerctl plays, pauses, skips, sets volume, repeat and random, reads the
# metadata, then the player is asked to quit over the bus. Every answer goes to stdout.
# Usage: mpris.sh <program folder> <disk audio file>
set -u
prog=$1 out=$2
export SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=$out
unset SDL_DISKAUDIODELAY QT_QPA_PLATFORM
pc() { playerctl -p vemlaplayer "$@" 2>&1; }
# Waits until the disk file holds $2 windows of 100 ms of a $1 Hz tone (see heard.py).
heard() { python3 "$(dirname "$0")/heard.py" "$out" "$@"; }
# Waits until playerctl's answer to "$@" is $want.
until_is() {
  local want=$1
  shift
  for _ in $(seq 1 600); do
    [ "$(pc "$@")" = "$want" ] && return 0
    sleep 0.1
  done
  echo "'$*' never answered '$want' (last: '$(pc "$@")')"
  return 1
}
"$prog/VemlaPlayer" >"$prog/player.log" 2>&1 &
pid=$!
fail() {
  echo "$1"
  tail -20 "$prog/player.log"
  kill $pid 2>/dev/null
  exit 2
}
until_is Stopped status || fail "the player never appeared on the bus"
echo "start status: Stopped"
pc play-pause
until_is Playing status || fail "play-pause did not play"
echo "title 1: $(pc metadata xesam:title)"
echo "url 1: $(pc metadata xesam:url)"
heard 440 10 || fail "no sound"
pc play-pause
until_is Paused status || fail "play-pause did not pause"
pc play-pause
until_is Playing status || fail "play-pause did not resume"
pc next
until_is Dos metadata xesam:title || fail "next did not reach the second entry"
echo "title 2: $(pc metadata xesam:title)"
echo "artist 2: $(pc metadata xesam:artist)"
echo "album 2: $(pc metadata xesam:album)"
echo "length 2: $(pc metadata mpris:length)"
heard 1500 10 || fail "no sound"
pc volume 0.4
pc loop Track
pc shuffle On
echo "volume: $(pc volume)"
echo "loop: $(pc loop)"
echo "shuffle: $(pc shuffle)"
dbus-send --session --print-reply --dest=org.mpris.MediaPlayer2.vemlaplayer \
  /org/mpris/MediaPlayer2 org.mpris.MediaPlayer2.Quit >/dev/null || fail "Quit failed"
for _ in $(seq 1 600); do
  kill -0 $pid 2>/dev/null || break
  sleep 0.1
done
kill -0 $pid 2>/dev/null && { echo "Quit did not end the player"; kill -KILL $pid; exit 3; }
wait $pid
echo "exit: $?"
