#!/usr/bin/env bash
# Builds Vexlor and its tests and runs every test under Wine, in a fresh Wine prefix made for
# this run and on a virtual display. Extra arguments go to ctest (for example -R Navigation).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
. scripts/wine-env.sh

scripts/install-deps.sh
cmake --preset mingw >/dev/null
cmake --build --preset mingw

export WINEPREFIX="$root/build/wineprefix-test"
vexlor_fresh_prefix "$WINEPREFIX"
unset DISPLAY
vexlor_ensure_display
cleanup() {
  WINEPREFIX="$WINEPREFIX" wineserver -k 2>/dev/null || true
  [ -n "${VEXLOR_XVFB_PID:-}" ] && kill "$VEXLOR_XVFB_PID" 2>/dev/null || true
}
trap cleanup EXIT
# Keep one wineserver for the whole run instead of one per test.
wineserver -p

ctest --preset mingw "$@"
