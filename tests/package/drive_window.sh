#!/usr/bin/env bash
# drive_window.sh LANDUSE PICTURES SHOT, under a virtual display: starts the
# window, opens the "Settings" page and presses "save bmp" as a user would,
# waits for both pictures in PICTURES and keeps a screenshot in SHOT.
set -euo pipefail
exe=$1 pictures=$2 shot=$3

"$exe" --seed 1 &
pid=$!
trap 'kill "$pid" 2>/dev/null || true; wait "$pid" 2>/dev/null || true' EXIT

window=$(timeout 60 xdotool search --sync --onlyvisible --name '^Morvane_04_Land Use$' | head -1)
[ -n "$window" ] || { echo "no window appeared" >&2; exit 1; }
sleep 1
# Places in the window (ui/layout.cpp): the "Settings" tab, then "save bmp".
xdotool mousemove --window "$window" 485 19 click 1
sleep 0.5
xdotool mousemove --window "$window" 471 350 click 1

for _ in $(seq 100); do
  [ -s "$pictures/001_pic_1.jpg" ] && [ -s "$pictures/001_pic_2.jpg" ] && break
  sleep 0.2
done
sleep 0.5 # the strip shows where the files went
import -window root "$shot"
[ -s "$pictures/001_pic_1.jpg" ] && [ -s "$pictures/001_pic_2.jpg" ]
