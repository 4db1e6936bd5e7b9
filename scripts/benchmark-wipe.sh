#!/usr/bin/env bash
# Times the program's overwrite-and-delete of one file under Wine against GNU shred (one pass of
# zeros, then unlink) and dd writing the same number of zero bytes with a final fsync, each on
# a fresh copy of the same file in the build tree, and prints the ratios. dd truncates its
# output first; dd writing in place (conv=notrunc), as the program does, followed by rm, as the
# program deletes the file too, is shown as well.
# Usage: scripts/benchmark-wipe.sh [SIZE_MIB [ROUNDS]]   (default 512 MiB, 3 rounds; medians)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
. scripts/wine-env.sh

size_mib=${1:-512}
rounds=${2:-3}
build=${VEXLOR_BUILD_DIR:-$root/build}

scripts/install-deps.sh
cmake --preset mingw -B "$build" -DVEXLOR_BUILD_TESTS=ON >/dev/null
cmake --build "$build" --target vexlor_wipe_benchmark

export WINEPREFIX="$build/wineprefix-benchmark"
[ -f "$WINEPREFIX/system.reg" ] || vexlor_fresh_prefix "$WINEPREFIX"
unset DISPLAY
vexlor_ensure_display
work="$build/benchmark"
cleanup() {
  rm -rf "$work"
  wineserver -k 2>/dev/null || true
  [ -n "${VEXLOR_XVFB_PID:-}" ] && kill "$VEXLOR_XVFB_PID" 2>/dev/null || true
}
trap cleanup EXIT
rm -rf "$work" && mkdir -p "$work"
wineserver -p # one server for every round, so Wine's start-up is not what is measured

# The same non-zero content for every contender, written out to the disk before the clock runs.
head -c "${size_mib}M" /dev/urandom >"$work/template"
fresh_copy() {
  cp "$work/template" "$1"
  sync
}
now() { date +%s.%N; }

exe="$build/tests/vexlor_wipe_benchmark.exe"
declare -a vexlor_times shred_times dd_times inplace_times
for round in $(seq 1 "$rounds"); do
  fresh_copy "$work/vexlor.bin"
  vexlor_times+=("$(wine "$exe" "$(winepath -w "$work/vexlor.bin")" | tr -d '\r')")
  [ ! -e "$work/vexlor.bin" ] || { echo "vexlor left the file behind" >&2; exit 1; }

  fresh_copy "$work/shred.bin"
  start=$(now)
  shred -n0 -z -u "$work/shred.bin"
  shred_times+=("$(echo "$(now) - $start" | bc -l)")

  fresh_copy "$work/dd.bin"
  start=$(now)
  dd if=/dev/zero of="$work/dd.bin" bs=1M count="$size_mib" conv=fsync status=none
  dd_times+=("$(echo "$(now) - $start" | bc -l)")
  rm -f "$work/dd.bin"

  fresh_copy "$work/inplace.bin"
  start=$(now)
  dd if=/dev/zero of="$work/inplace.bin" bs=1M count="$size_mib" conv=notrunc,fsync status=none
  rm -f "$work/inplace.bin"
  inplace_times+=("$(echo "$(now) - $start" | bc -l)")
  echo "round $round: vexlor ${vexlor_times[-1]} s, shred ${shred_times[-1]} s," \
    "dd ${dd_times[-1]} s, dd in place + rm ${inplace_times[-1]} s"
done

median() { printf '%s\n' "$@" | sort -g | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
v=$(median "${vexlor_times[@]}")
s=$(median "${shred_times[@]}")
d=$(median "${dd_times[@]}")
i=$(median "${inplace_times[@]}")
printf 'file %d MiB, median of %d rounds\n' "$size_mib" "$rounds"
printf '  vexlor (DoCleanFile under Wine) %7.3f s\n' "$v"
printf '  shred -n0 -z -u                 %7.3f s\n' "$s"
printf '  dd conv=fsync                   %7.3f s\n' "$d"
printf '  dd conv=notrunc,fsync + rm      %7.3f s\n' "$i"
printf '  vexlor / dd    = %.2f  (goal <= 1.30)\n' "$(echo "$v / $d" | bc -l)"
printf '  vexlor / shred = %.2f  (goal <= 1.00)\n' "$(echo "$v / $s" | bc -l)"
printf '  vexlor / (dd in place + rm) = %.2f\n' "$(echo "$v / $i" | bc -l)"
