#!/usr/bin/env bash
# Takes the screenshots in docs/screenshots/ the way a user sees the window:
# the program under a virtual X display, driven by clicks. Needs the build,
# xvfb-run (from install-deps.sh), xdotool, ImageMagick and, for the page of
# a batch report, Chromium (installed here when missing).
#
#   bash scripts/screenshots.sh [BUILD_DIR] [OUT_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
out=${2:-docs/screenshots}
mkdir -p "$out"

missing=()
command -v xdotool >/dev/null || missing+=(xdotool)
command -v import >/dev/null || missing+=(imagemagick)
command -v chromium >/dev/null || missing+=(chromium)
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo=sudo
  $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1720x760x24" bash "$0" "$build" "$out"
fi

# The window opens at (120, 0) on the screen, the rank-size window beside it
# at (859, 0); positions below are in the main window's client area.
shot() { import -window root -crop 731x712+120+0 +repage "$1"; }
shot_ranksize() { import -window root -crop 841x712+859+0 +repage "$1"; }
click() { xdotool mousemove $((120 + $1)) "$2" click 1; sleep 0.3; }
tab() { local xs=(443 485 531 580 634); click "${xs[$1]}" 18; }
start_window() {
  "$build/app/landuse" --seed 1 "$@" &
  pid=$!
  xdotool search --sync --name "Morvane" >/dev/null
  sleep 1
}
stop_window() { kill "$pid"; wait "$pid" 2>/dev/null || true; }
run_to_stop() { tab 0; click 563 60; sleep "$1"; }

start_window
shot "$out/window-setup.png"
names=(page-setup page-settings page-graphic page-analysis1 page-analysis2)
for i in 0 1 2 3 4; do
  tab "$i"
  import -window root -crop 303x372+543+4 +repage "$out/${names[$i]}.png"
done
stop_window

start_window --set E_stop=200 --set CB_showAg=1
run_to_stop 3
shot "$out/window-200-steps-agents.png"
stop_window

start_window --set E_stop=200 --set CB_potField=1 --set CB_showOrig=0 --set CB_showAg=1
run_to_stop 3
shot "$out/window-potential-field.png"
stop_window

# The rank-size window after 800 steps at the defaults, then zoomed into the
# log-log chart by a drag.
start_window
run_to_stop 4
shot_ranksize "$out/ranksize-800-steps.png"
xdotool mousemove $((859 + 60)) 40 mousedown 1 mousemove $((859 + 200)) 140 mousemove $((859 + 300)) 260 mouseup 1
sleep 0.5
shot_ranksize "$out/ranksize-zoomed.png"
stop_window

# The report of the README's analysis-2 example, as a browser shows it, and
# one run as an animation.
report=$(mktemp -d)
"$build/app/landuse-batch" analysis2 "$report/service-noise" --seed 7 --set RB_serv=1 \
  --set E_valTo2=6 --set E_incre=0,5 --set E_toSteps2=400 --report 2>/dev/null
chromium --headless --no-sandbox --disable-gpu --disable-quic --no-first-run \
  --disable-background-networking --disable-component-update --disable-sync \
  --user-data-dir="$report/browser" --hide-scrollbars --window-size=1400,1000 \
  --screenshot="$out/report.png" "file://$report/service-noise/report/index.html" 2>/dev/null
rm -rf "$report"
"$build/app/landuse-run" --steps 400 --seed 7 --set CB_showAg=1 --every 20 \
  --animation "$out/../animation.gif" >/dev/null
