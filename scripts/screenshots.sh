#!/usr/bin/env bash
# Pictures of the four wizard pages as the real main window draws them, on a virtual display:
# build/screenshots/page-0.png ... page-3.png, menu.png with the "Файл" menu open, about.png,
# and the tips dialog with a tip that has a picture (tips-picture.png) and one without.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
. scripts/wine-env.sh

scripts/install-deps.sh
cmake --preset mingw -DVEXLOR_BUILD_TESTS=ON >/dev/null
cmake --build --preset mingw --target vexlor_page_screens vexlor

export WINEPREFIX="$root/build/wineprefix-screens"
[ -f "$WINEPREFIX/system.reg" ] || vexlor_fresh_prefix "$WINEPREFIX"
vexlor_prefix_fonts "$WINEPREFIX"
unset DISPLAY
vexlor_ensure_display
trap '[ -n "${VEXLOR_XVFB_PID:-}" ] && kill "$VEXLOR_XVFB_PID" 2>/dev/null; true' EXIT

out="$root/build/screenshots"
rm -rf "$out" && mkdir -p "$out"
# The program's folder, where the build put the tips file and its pictures.
wine build/tests/vexlor_page_screens.exe "$(winepath -w "$out")" "$(winepath -w build/src)\\"
for name in page-0 page-1 page-2 page-3 menu about tips-picture tips-text; do
  [ -f "$out/$name.bmp" ] && /usr/bin/convert "$out/$name.bmp" "$out/$name.png" && rm "$out/$name.bmp"
done
WINEPREFIX="$WINEPREFIX" wineserver -k 2>/dev/null || true
ls "$out"
