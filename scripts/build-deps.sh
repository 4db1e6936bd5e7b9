#!/usr/bin/env bash
# Builds the picture libraries the program links statically and that Debian ships no mingw-w64
# build of (libpng, libjpeg-turbo), from Debian's own source packages, with the repository's
# cross toolchain. They go to a cache outside the source tree that every build tree reuses:
# VEXLOR_DEPS_DIR, default ~/.cache/vexlor/mingw-deps. When the cache holds a finished build,
# this is a quick no-op. zlib comes ready-built from Debian (libz-mingw-w64-dev).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
prefix=${VEXLOR_DEPS_DIR:-$HOME/.cache/vexlor/mingw-deps}
# Bump the number whenever what is built, or how, changes: old caches are then rebuilt.
stamp="$prefix/vexlor-deps-1.stamp"
[ -f "$stamp" ] && exit 0

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
export DEBIAN_FRONTEND=noninteractive

# Prints deb-src twins of the Debian archive's enabled deb entries. $1: "deb822" or "list".
source_twins() {
  if [ "$1" = deb822 ]; then
    # One stanza per paragraph; keep those with a deb type whose URIs are Debian's.
    awk 'BEGIN { RS = ""; FS = "\n" }
      {
        types = ""; uris = ""; enabled = "yes"; body = ""
        for (i = 1; i <= NF; i++) {
          line = $i
          if (line ~ /^[ \t]*#/) continue
          if (tolower(line) ~ /^types:/) { types = line; continue }
          if (tolower(line) ~ /^enabled:/) enabled = tolower(line)
          if (tolower(line) ~ /^uris:/) uris = line
          body = body line "\n"
        }
        if (types ~ /[: \t]deb([ \t]|$)/ && uris ~ /debian/ && enabled !~ /no/)
          printf "Types: deb-src\n%s\n", body
      }' /etc/apt/sources.list.d/*.sources 2>/dev/null || true
  else
    cat /etc/apt/sources.list /etc/apt/sources.list.d/*.list 2>/dev/null |
      sed -n -E 's/^[[:space:]]*deb([[:space:]].*debian.*)$/deb-src\1/p' || true
  fi
}

# True when apt knows Debian's source packages. (Not a pipe into grep -q: under pipefail, an
# early exit of grep fails the pipe.)
sources_known() {
  local listing
  listing=$(apt-cache showsrc libpng1.6 2>/dev/null) || true
  [[ $listing == *"Package: libpng1.6"* ]]
}

# apt-get source needs a deb-src entry for the Debian archive; most installations have none.
# Ours goes to a file of its own next to the existing ones, which stay untouched.
ensure_deb_src() {
  sources_known && return 0
  local added=""
  local twins
  twins=$(source_twins deb822)
  if [ -n "$twins" ] && [ ! -e /etc/apt/sources.list.d/vexlor-deb-src.sources ]; then
    printf '%s\n' "$twins" | $sudo tee /etc/apt/sources.list.d/vexlor-deb-src.sources >/dev/null
    added=yes
  fi
  twins=$(source_twins list)
  if [ -n "$twins" ] && [ ! -e /etc/apt/sources.list.d/vexlor-deb-src.list ]; then
    printf '%s\n' "$twins" | $sudo tee /etc/apt/sources.list.d/vexlor-deb-src.list >/dev/null
    added=yes
  fi
  [ -n "$added" ] || echo "no Debian deb entry found to add deb-src for; trying apt as it is" >&2
  $sudo apt-get update -qq
  sources_known || {
    echo "apt finds no source packages: add a deb-src entry for the Debian archive" >&2
    exit 1
  }
}

ensure_tools() {
  local missing=()
  for p in dpkg-dev nasm libz-mingw-w64-dev cmake ninja-build gcc-mingw-w64-x86-64-posix; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  $sudo apt-get update -qq
  $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# Unpacks source package $1 into the current folder; prints the unpacked folder. A version whose
# files cannot be had (a security update withdrawn from the mirror, say) falls back to the next
# older one apt lists.
fetch_source() {
  local package=$1 version
  for version in $(apt-cache showsrc "$package" | awk '/^Version:/ { print $2 }' | sort -rVu); do
    rm -rf "$package-fetch" && mkdir "$package-fetch"
    if (cd "$package-fetch" && apt-get source -qq "$package=$version" >&2 2>&1); then
      find "$PWD/$package-fetch" -mindepth 1 -maxdepth 1 -type d -print -quit
      echo "$package $version" >>"$work/versions"
      return 0
    fi
    echo "could not fetch $package $version; trying an older version" >&2
  done
  echo "no version of $package could be fetched" >&2
  return 1
}

# Configures, builds and installs the CMake project in $1 into the cache; the rest are options.
cross_build() {
  local source=$1
  shift
  cmake -S "$source" -B "$source/vexlor-build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-mingw64.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" \
    -DVEXLOR_DEPS_DIR="$prefix" -Wno-dev "$@" >"$source/vexlor-configure.log" ||
    { cat "$source/vexlor-configure.log" >&2; return 1; }
  cmake --build "$source/vexlor-build" >"$source/vexlor-build.log" ||
    { tail -n 50 "$source/vexlor-build.log" >&2; return 1; }
  cmake --install "$source/vexlor-build" >/dev/null
}

ensure_tools
ensure_deb_src

mkdir -p "$(dirname "$prefix")"
exec 9>"$prefix.lock"
flock 9 # another build tree may be filling the same cache right now
[ -f "$stamp" ] && exit 0

echo "Building libpng and libjpeg-turbo for mingw-w64 into $prefix (once)"
started=$(date +%s)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
chmod 755 "$work" # apt-get source downloads as the _apt user where it can
cd "$work"
# Start from an empty cache, but never empty a folder that is not one of ours.
if [ -d "$prefix" ] && [ -n "$(ls -A "$prefix")" ] && [ ! -f "$prefix/vexlor-deps.cache" ]; then
  echo "$prefix is not empty and not a Vexlor deps cache: choose another VEXLOR_DEPS_DIR" >&2
  exit 1
fi
rm -rf "$prefix" && mkdir -p "$prefix" && touch "$prefix/vexlor-deps.cache"

png=$(fetch_source libpng1.6)
cross_build "$png" -DPNG_SHARED=OFF -DPNG_STATIC=ON -DPNG_TESTS=OFF -DPNG_EXECUTABLES=OFF \
  -DZLIB_USE_STATIC_LIBS=ON
jpeg=$(fetch_source libjpeg-turbo)
cross_build "$jpeg" -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_TURBOJPEG=OFF -DWITH_SIMD=ON \
  -DREQUIRE_SIMD=ON

for built in lib/libpng.a lib/libjpeg.a include/png.h include/jpeglib.h; do
  [ -f "$prefix/$built" ] || { echo "the build left no $prefix/$built" >&2; exit 1; }
done
cp "$work/versions" "$stamp"
echo "Built $(paste -sd, "$stamp") in $(($(date +%s) - started)) s"
