# Sourced by the scripts: a Wine prefix of our own and a display to draw on.
# Never uses ~/.wine: the prefix is VEXLOR_WINEPREFIX, or one inside the build tree.

export WINEDEBUG=${WINEDEBUG:--all}
# No Mono or Gecko installers: the program needs neither.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
export WINEARCH=win64

# Wine's own Tahoma (Debian's fonts-wine) in the prefix's font folder: this Wine does not load
# fonts from its data folder, and without them "Tahoma" falls back to a wider font.
vexlor_prefix_fonts() {
  local fonts="$1/drive_c/windows/Fonts" font
  mkdir -p "$fonts"
  for font in tahoma.ttf tahomabd.ttf; do
    [ -f "$fonts/$font" ] || cp "/usr/share/wine/fonts/$font" "$fonts/$font"
  done
}

# Makes a fresh prefix at $1 and waits until it is ready.
vexlor_fresh_prefix() {
  # A server left running on it by a run that was stopped would never let `wineserver -w` end.
  WINEPREFIX="$1" wineserver -k 2>/dev/null || true
  rm -rf "$1"
  mkdir -p "$(dirname "$1")"
  WINEPREFIX="$1" wineboot -i >/dev/null 2>&1 || true
  WINEPREFIX="$1" wineserver -w
  vexlor_prefix_fonts "$1"
}

# Starts Xvfb on a free display when there is none; sets VEXLOR_XVFB_PID when it did.
vexlor_ensure_display() {
  [ -n "${DISPLAY:-}" ] && return 0
  local n
  for n in $(seq 90 140); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    VEXLOR_XVFB_PID=$!
    export DISPLAY=":$n"
    for _ in $(seq 1 50); do
      [ -e "/tmp/.X11-unix/X$n" ] && return 0
      sleep 0.1
    done
  done
  echo "Cannot start Xvfb" >&2
  return 1
}
