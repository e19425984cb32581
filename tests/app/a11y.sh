#!/bin/bash
# Starts the player on its own accessibility bus and reads it with an AT-SPI client (run under
# xvfb-run and dbus-run-session). Usage: a11y.sh <program folder> <log>
set -u
prog=$1 log=$2
here=$(dirname "$0")
export SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=/dev/null QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
unset SDL_DISKAUDIODELAY QT_QPA_PLATFORM
# The client library is Debian's; a python of one's own may not carry it.
py=python3
python3 -c 'import pyatspi' 2>/dev/null || py=/usr/bin/python3
"$prog/VemlaPlayer" >"$log" 2>&1 &
pid=$!
"$py" "$here/a11y_probe.py"
rc=$?
for _ in $(seq 1 600); do
  kill -0 $pid 2>/dev/null || break
  sleep 0.1
done
if kill -0 $pid 2>/dev/null; then
  echo "the player did not close when its Cerrar button was pressed"
  kill -KILL $pid
  exit 3
fi
wait $pid
prc=$?
[ $rc -ne 0 ] && exit $rc
exit $prc
