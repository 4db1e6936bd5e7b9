#!/usr/bin/env bash
# Builds Vexlor and its tests and runs every test under Wine, in a fresh Wine prefix made for
# this run and on a virtual display. Extra arguments go to ctest (for example -R Navigation).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
. scripts/wine-env.sh

# VEXLOR_BUILD_DIR lets several builds live side by side; the default is the preset's.
build=${VEXLOR_BUILD_DIR:-$root/build}

scripts/install-deps.sh
cmake --preset mingw -B "$build" -DVEXLOR_BUILD_TESTS=ON >/dev/null
cmake --build "$build"

export WINEPREFIX="$build/wineprefix-test"
vexlor_fresh_prefix "$WINEPREFIX"
unset DISPLAY
vexlor_ensure_display
cleanup() {
  WINEPREFIX="$WINEPREFIX" wineserver -k 2>/dev/null || true
  [ -n "${VEXLOR_XVFB_PID:-}" ] && kill "$VEXLOR_XVFB_PID" 2>/dev/null || true
}
trap cleanup EXIT
# Keep one wineserver for the whole run instead of one per test. Wine's own helper processes
# (services, the desktop) start with the first program and live as long as the server: start
# them here, away from ctest's output pipes, or ctest would wait for them to close.
wineserver -p
wine "$build/tests/vexlor_tests.exe" --gtest_list_tests >/dev/null 2>&1 </dev/null || true

ctest --test-dir "$build" --output-on-failure --no-tests=error "$@"
