#!/usr/bin/env bash
# ctest's emulator: runs one Windows test executable under Wine.
# Usage: wine-exec.sh BUILD_DIR PROGRAM.exe [ARGS...]
# scripts/test.sh prepares WINEPREFIX and DISPLAY for the whole run; when ctest is started
# by hand, a prefix in the build tree is made once and a virtual display is started per call.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/wine-env.sh"
build_dir=$1
shift

if [ -z "${WINEPREFIX:-}" ]; then
  export WINEPREFIX="$build_dir/wineprefix"
  (
    flock 9
    [ -f "$WINEPREFIX/system.reg" ] || vexlor_fresh_prefix "$WINEPREFIX"
    vexlor_prefix_fonts "$WINEPREFIX"
  ) 9>"$build_dir/wineprefix.lock"
fi

if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24" wine "$@"
fi
exec wine "$@"
