#!/usr/bin/env bash
# Pictures of the four wizard pages as the real main window draws them, on a virtual display:
# build/screenshots/page-0.png ... page-3.png (page 1 also empty, page-1-empty.png, and after a
# folder was added, page-1-folder.png), menu.png with the "Файл" menu open, about.png, and the
# tips dialog with a tip that has a picture (tips-picture.png) and one without, the
# open-file dialog over the window (file-dialog.png), the free-space cleaning's question,
# progress page and finish page (free-space-*.png); then all of it again at 144 dpi in
# build/screenshots/144dpi/.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
. scripts/wine-env.sh

scripts/install-deps.sh
cmake --preset mingw -DVEXLOR_BUILD_TESTS=ON >/dev/null
cmake --build --preset mingw --target vexlor_page_screens vexlor

unset DISPLAY
vexlor_ensure_display
trap '[ -n "${VEXLOR_XVFB_PID:-}" ] && kill "$VEXLOR_XVFB_PID" 2>/dev/null; true' EXIT

# Every picture at `dpi` into `out`, in a prefix of that resolution.
shoot() {
  local dpi=$1 out=$2
  export WINEPREFIX="$root/build/wineprefix-screens-$dpi"
  [ -f "$WINEPREFIX/system.reg" ] || vexlor_fresh_prefix "$WINEPREFIX"
  vexlor_prefix_fonts "$WINEPREFIX"
  wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
  WINEPREFIX="$WINEPREFIX" wineserver -k 2>/dev/null || true # the new resolution from the start
  rm -rf "$out" && mkdir -p "$out"
  # The program's folder, where the build put the tips file and its pictures.
  wine build/tests/vexlor_page_screens.exe "$(winepath -w "$out")" "$(winepath -w build/src)\\"
  for name in page-0 page-1 page-1-empty page-1-folder page-2 page-3 page-3-report menu about tips-picture tips-text file-dialog \
      free-space-question free-space-progress free-space-finish; do
    [ -f "$out/$name.bmp" ] && /usr/bin/convert "$out/$name.bmp" "$out/$name.png" && rm "$out/$name.bmp"
  done
  WINEPREFIX="$WINEPREFIX" wineserver -k 2>/dev/null || true
}

out="$root/build/screenshots"
shoot 96 "$out"
shoot 144 "$out/144dpi"
ls "$out" "$out/144dpi"
