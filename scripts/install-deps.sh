#!/usr/bin/env bash
# Installs the Debian packages the build, the program, the installer (nsis) and the tests need
# (as root, or via sudo), then the picture libraries Debian has no mingw-w64 build of
# (scripts/build-deps.sh).
# With package names as arguments, installs just those that are missing (for the scripts that
# need tools of their own: fuzzing, rendering the artwork).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)

packages=(cmake ninja-build g++-mingw-w64-x86-64-posix googletest wine wine64 xvfb xauth
          imagemagick xdotool coreutils bc libz-mingw-w64-dev
          fonts-wine nsis)
[ $# -gt 0 ] && packages=("$@")

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  echo "Installing: ${missing[*]}"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

[ $# -gt 0 ] || "$here/build-deps.sh"
