#!/usr/bin/env bash
# Builds Vexlor and starts it under Wine. With no display, it runs on a virtual one, saves a
# screenshot of that display to build/vexlor-screenshot.png and closes the program again.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
. scripts/wine-env.sh

scripts/install-deps.sh
cmake --preset mingw >/dev/null
cmake --build --preset mingw --target vexlor

export WINEPREFIX=${VEXLOR_WINEPREFIX:-$root/build/wineprefix-run}
[ -f "$WINEPREFIX/system.reg" ] || vexlor_fresh_prefix "$WINEPREFIX"
vexlor_prefix_fonts "$WINEPREFIX"

if [ -n "${DISPLAY:-}" ]; then
  exec wine build/src/vexlor.exe "$@"
fi

vexlor_ensure_display
trap '[ -n "${VEXLOR_XVFB_PID:-}" ] && kill "$VEXLOR_XVFB_PID" 2>/dev/null; true' EXIT
wine build/src/vexlor.exe "$@" &
pid=$!
shot="$root/build/vexlor-screenshot.png"
window=""
for _ in $(seq 1 150); do
  window=$(xdotool search --onlyvisible --name '^Vexlor$' 2>/dev/null | head -n 1 || true)
  [ -n "$window" ] && break
  sleep 0.2
done
if [ -z "$window" ]; then
  echo "Vexlor did not show its window" >&2
  WINEPREFIX="$WINEPREFIX" wineserver -k 2>/dev/null || true
  exit 1
fi
sleep 3 # let the window paint, and the tips come up one second after the start
import -window root -crop 1280x1024+0+0 -trim "$shot"
echo "Screenshot of the virtual display: $shot"
# Close it as a user would, so that it saves its settings and ends by itself: the tips first,
# which have the keyboard, then the main window.
for _ in $(seq 1 5); do
  kill -0 "$pid" 2>/dev/null || break
  xdotool key --clearmodifiers alt+F4 2>/dev/null || true
  for _ in $(seq 1 10); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.2
  done
done
WINEPREFIX="$WINEPREFIX" wineserver -k 2>/dev/null || true
wait "$pid" 2>/dev/null || true
