#!/usr/bin/env bash
# The free-space part of scripts/benchmark-wipe.sh (run as `benchmark-wipe.sh free-space`): the
# cleaning of a fresh NTFS image's free space through the program's window beside dd filling
# a file on the same fresh volume to full with conv=fsync and removing it, the physical limit
# of the work. Needs root and FUSE; only the image it makes is mounted, and unmounted again
# also when it fails.
# Usage: scripts/benchmark-free-space.sh [IMAGE_MIB [ROUNDS]]   (default 1024 MiB, 3 rounds)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
. scripts/wine-env.sh

image_mib=${1:-1024}
rounds=${2:-3}
build=${VEXLOR_BUILD_DIR:-$root/build}
[ "$(id -u)" -eq 0 ] && [ -e /dev/fuse ] || { echo "needs root and /dev/fuse" >&2; exit 1; }

scripts/install-deps.sh
scripts/install-deps.sh openbox ntfs-3g
cmake --preset mingw -B "$build" -DVEXLOR_BUILD_TESTS=ON >/dev/null
cmake --build "$build" --target vexlor_wipe_benchmark

export WINEPREFIX="$build/wineprefix-benchmark"
[ -f "$WINEPREFIX/system.reg" ] || vexlor_fresh_prefix "$WINEPREFIX"
vexlor_prefix_fonts "$WINEPREFIX"
unset DISPLAY
vexlor_ensure_display
openbox >/dev/null 2>&1 &
window_manager=$!
work="$build/benchmark-free-space"
image="$work/volume.img"
volume="$work/volume"
unmount() {
  if mountpoint -q "$volume"; then
    fusermount -u "$volume" 2>/dev/null || fusermount -uz "$volume"
  fi
  # the driver has written everything once it has ended
  while pgrep -f "ntfs-3g.* $image" >/dev/null; do sleep 0.1; done
}
cleanup() {
  unmount || true
  rm -rf "$work"
  kill "$window_manager" 2>/dev/null || true
  wineserver -k 2>/dev/null || true
  [ -n "${VEXLOR_XVFB_PID:-}" ] && kill "$VEXLOR_XVFB_PID" 2>/dev/null || true
}
trap cleanup EXIT
rm -rf "$work" && mkdir -p "$volume"
wineserver -k 2>/dev/null || true # a server left by a run that was stopped would refuse the next
wineserver -p

fresh_volume() {
  unmount
  rm -f "$image"
  truncate -s "${image_mib}M" "$image"
  mkntfs -F -f -q -c 4096 "$image" >/dev/null 2>&1
  ntfs-3g -o streams_interface=windows "$image" "$volume"
  mountpoint -q "$volume"
}
now() { date +%s.%N; }
exe="$build/tests/vexlor_wipe_benchmark.exe"
vexlor_times="" answers="" dd_times="" written=""
for round in $(seq 1 "$rounds"); do
  fresh_volume
  read -r seconds answer line < <(wine "$exe" freespace "$(winepath -w "$volume")" | tr -d '\r')
  vexlor_times="$vexlor_times $seconds"
  answers="$answers $answer"
  written=$line
  [ -z "$(ls -A "$volume")" ] || { echo "the cleaning left files" >&2; exit 1; }

  fresh_volume
  start=$(now)
  dd if=/dev/zero of="$volume/fill" bs=1M conv=fsync status=none 2>/dev/null || true
  sync "$volume/fill" # dd ends with "no space" before its own fsync
  rm -f "$volume/fill"
  dd_times="$dd_times $(echo "$(now) - $start" | bc -l)"
  echo "round $round done"
done

median() { printf '%s\n' $1 | sort -g | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
v=$(median "$vexlor_times")
d=$(median "$dd_times")
echo "free space of a fresh NTFS image of $image_mib MiB, median of $rounds rounds"
printf '  vexlor, window shown              %7.3f s  (longest answer %s ms; %s)\n' \
  "$v" "$(median "$answers")" "$written"
printf '  dd conv=fsync to full + rm        %7.3f s\n' "$d"
printf '  vexlor / dd = %.2f\n' "$(echo "$v / $d" | bc -l)"
