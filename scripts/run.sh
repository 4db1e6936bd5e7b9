#!/usr/bin/env bash
# Builds Vexlor and starts it under Wine. With no display, it runs on a virtual one, saves a
# screenshot of the window to build/vexlor-screenshot.png and closes the program again.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
. scripts/wine-env.sh

scripts/install-deps.sh
cmake --preset mingw >/dev/null
cmake --build --preset mingw --target vexlor

export WINEPREFIX=${VEXLOR_WINEPREFIX:-$root/build/wineprefix-run}
[ -f "$WINEPREFIX/system.reg" ] || vexlor_fresh_prefix "$WINEPREFIX"

if [ -n "${DISPLAY:-}" ]; then
  exec wine build/src/vexlor.exe "$@"
fi

vexlor_ensure_display
trap '[ -n "${VEXLOR_XVFB_PID:-}" ] && kill "$VEXLOR_XVFB_PID" 2>/dev/null; true' EXIT
wine build/src/vexlor.exe "$@" &
pid=$!
shot="$root/build/vexlor-screenshot.png"
for _ in $(seq 1 100); do
  xdotool search --name '^Vexlor$' >/dev/null 2>&1 && break
  sleep 0.2
done
sleep 2 # let the window paint
import -window root "$shot"
echo "Screenshot of the running program: $shot"
WINEPREFIX="$WINEPREFIX" wineserver -k 2>/dev/null || true
wait "$pid" 2>/dev/null || true
