#!/bin/bash
# Drives the player inside an X server (run under xvfb-run) with a window manager and a
# notification area: minimise into the tray, play from the mini window, drag it, "Maximizar",
# close; then a second run minimises again. Writes what it saw as key=value lines.
# Usage: mini_drive.sh <program folder> <disk audio file> <log> <report>
set -u
prog=$1 out=$2 log=$3 report=$4
export SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=$out
unset SDL_DISKAUDIODELAY QT_QPA_PLATFORM
: >"$report"
say() { echo "$1" >>"$report"; }

openbox >/dev/null 2>&1 &
wm=$!
panel=
# On a busy machine the panel now and then fails to reach the display, or never maps its window:
# it is started again until it shows.
start_panel() {
  for _ in $(seq 1 5); do
    trayer --edge top --align right --widthtype request --height 24 >/dev/null 2>&1 &
    panel=$!
    for _ in $(seq 1 200); do
      xdotool search --onlyvisible --class trayer >/dev/null 2>&1 && return 0
      kill -0 $panel 2>/dev/null || break
      sleep 0.1
    done
    kill $panel 2>/dev/null
    wait $panel 2>/dev/null
  done
  say "error=the panel never showed"
}
cleanup() { kill $wm $panel 2>/dev/null; }
trap cleanup EXIT
start_panel

visible() { xdotool search --onlyvisible --name "$1" 2>/dev/null | head -1; }
# Generous deadlines: on a loaded machine the player may take many seconds to answer.
wait_for() {  # wait_for <name>: the id of the visible window, or nothing after 60 s
  for _ in $(seq 1 600); do
    w=$(visible "$1")
    [ -n "$w" ] && { echo "$w"; return; }
    sleep 0.1
  done
}
wait_gone() {
  for _ in $(seq 1 600); do
    [ -z "$(visible "$1")" ] && return 0
    sleep 0.1
  done
  return 1
}
ended() {
  for _ in $(seq 1 600); do
    kill -0 $pid 2>/dev/null || return 0
    sleep 0.1
  done
  kill -KILL $pid
  return 1
}
start() {
  "$prog/VemlaPlayer" >>"$log" 2>&1 &
  pid=$!
  main=$(wait_for 'VemlaPlayer v1.0b')
  [ -n "$main" ] || { say "error=no main window"; kill $pid; exit 2; }
  sleep 0.5
}
minimise() {  # B_Min sits at (297, 6), 11 x 10 pixels
  xdotool mousemove --window "$main" 302 11 click 1
  mini=$(wait_for MiniVemla)
  if [ -z "$mini" ]; then
    say "error=no mini window; main visible: $(visible 'VemlaPlayer v1.0b')"
    for w in $(xdotool search --name MiniVemla); do say "mini $w: $(xwininfo -id $w | grep -E 'Map State|Absolute')"; done
    kill $pid
    exit 2
  fi
  sleep 0.5
  eval "$(xdotool getwindowgeometry --shell "$mini")"
  say "mini$1=$X,$Y,$WIDTH,$HEIGHT"
}

start
minimise 1
wait_gone 'VemlaPlayer v1.0b' && say "main_hidden=1"
for _ in $(seq 1 600); do
  xprop -id "$mini" _NET_WM_STATE | grep -q _NET_WM_STATE_ABOVE && { say "above=1"; break; }
  sleep 0.1
done
before=$(stat -c %s "$out" 2>/dev/null || echo 0)
say "bytes_before_play=$before"
# "Reproducir" at (44, 74), 25 x 26.
xdotool mousemove --window "$mini" 56 87 click 1
sleep 2
# Dragged by its picture (the tab at its left) to 400, 300.
eval "$(xdotool getwindowgeometry --shell "$mini")"
xdotool mousemove $((X + 8)) $((Y + 40))
sleep 0.3
xdotool mousedown 1
sleep 0.3
xdotool mousemove $((X + 100)) $((Y + 100))
sleep 0.3
xdotool mousemove $((400 + 8)) $((300 + 40))
sleep 0.3
xdotool mouseup 1
for _ in $(seq 1 600); do
  eval "$(xdotool getwindowgeometry --shell "$mini")"
  [ "$X,$Y" = "400,300" ] && break
  sleep 0.1
done
say "dragged=$X,$Y"
# "Maximizar" at (139, 29), 11 x 10.
xdotool mousemove --window "$mini" 144 34 click 1
main=$(wait_for 'VemlaPlayer v1.0b')
[ -n "$main" ] && say "main_back=1"
wait_gone MiniVemla && say "mini_gone=1"
sleep 0.5
# "Cerrar" at (323, 6).
xdotool mousemove --window "$main" 328 11 click 1
ended || say "error=first run did not close"

# The second run's sound goes elsewhere, so the first run's stays to be checked.
export SDL_DISKAUDIOFILE=$out.second
# A fresh panel, so nothing that befell the first one stands in the second run's way.
kill $panel 2>/dev/null
wait $panel 2>/dev/null
start_panel
start
minimise 2
# The icon is the only one in the panel: a left click on it opens the menu, whose last item is
# "Cerrar". An empty panel is 2 pixels wide; the icon may sit in it only some time after the mini
# window shows, so the place to click is found again before every try.
panel_centre() {
  for _ in $(seq 1 600); do
    for w in $(xdotool search --onlyvisible --class trayer); do
      eval "$(xdotool getwindowgeometry --shell "$w")"
      if [ "$WIDTH" -gt 8 ]; then
        panel_x=$((X + WIDTH / 2)) panel_y=$((Y + HEIGHT / 2))
        return 0
      fi
    done
    sleep 0.1
  done
  return 1
}
menu_up() {  # the menu is the only window of ours taller than 150 pixels now
  for w in $(xdotool search --onlyvisible --class VemlaPlayer); do
    eval "$(xdotool getwindowgeometry --shell "$w")"
    [ "$HEIGHT" -gt 150 ] && return 0
  done
  return 1
}
gone_within() {  # $1 tenths of a second
  for _ in $(seq 1 "$1"); do
    kill -0 $pid 2>/dev/null || return 0
    sleep 0.1
  done
  return 1
}
# Keys sent before the menu has the keyboard can be lost on a busy machine: open it again and
# repeat until the player has gone.
closed=0
for _ in $(seq 1 6); do
  if ! menu_up; then
    panel_centre || { say "error=no tray icon in the panel"; break; }
    xdotool mousemove $panel_x $panel_y click 1
  fi
  for _ in $(seq 1 300); do
    menu_up && break
    sleep 0.1
  done
  sleep 0.5
  xdotool key Up
  sleep 0.3
  xdotool key Return
  if gone_within 100; then closed=1; break; fi
done
if [ $closed = 1 ]; then
  say "closed_from_tray=1"
else
  say "error=second run did not close; panel centre ${panel_x:-none},${panel_y:-none}"
  for w in $(xdotool search --onlyvisible --class 'trayer|VemlaPlayer'); do
    say "window $w: $(xdotool getwindowgeometry "$w" | tr '\n' ' ')"
  done
  kill -KILL $pid 2>/dev/null
fi
exit 0
