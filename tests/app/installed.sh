#!/bin/bash
# Installs the build into a prefix and drives the installed copy inside an X server (run under
# xvfb-run): started on a folder, it plays the folder's file; a second copy started on another
# file hands it over and ends; the first plays it, then a logout's SIGTERM closes it.
# Usage: installed.sh <build dir> <prefix> <home> <folder> <second file> <disk audio file>
set -u
build=$1 prefix=$2 home=$3 folder=$4 second=$5 out=$6
cmake --install "$build" --prefix "$prefix" >/dev/null || { echo "install failed"; exit 2; }
export HOME=$home XDG_CONFIG_HOME=$home/config XDG_RUNTIME_DIR=$home/run
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
export SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=$out
unset SDL_DISKAUDIODELAY QT_QPA_PLATFORM
# Waits until the disk file holds $2 windows of 100 ms of a $1 Hz tone (see heard.py).
heard() { python3 "$(dirname "$0")/heard.py" "$out" "$@"; }
"$prefix/bin/vemlaplayer" "$folder" >"$home/player.log" 2>&1 &
pid=$!
win=
for _ in $(seq 1 600); do
  win=$(xdotool search --onlyvisible --name 'VemlaPlayer v1.0b' 2>/dev/null | head -1)
  [ -n "$win" ] && break
  kill -0 $pid 2>/dev/null || {
    echo "the installed player ended before showing its window"
    tail -20 "$home/player.log"
    exit 2
  }
  sleep 0.1
done
[ -n "$win" ] || { echo "no main window"; kill $pid; exit 2; }
heard 440 10 || { kill $pid; exit 2; }
timeout 120 "$prefix/bin/vemlaplayer" "$second"
rc=$?
[ $rc -eq 0 ] || { echo "the second copy did not hand over and end (status $rc)"; kill $pid; exit 2; }
kill -0 $pid || { echo "the first copy ended"; exit 2; }
heard 1500 10 || { kill $pid; exit 2; }
kill -TERM $pid
for _ in $(seq 1 600); do
  kill -0 $pid 2>/dev/null || break
  sleep 0.1
done
kill -0 $pid 2>/dev/null && { echo "the player did not close"; kill -KILL $pid; exit 3; }
wait $pid
