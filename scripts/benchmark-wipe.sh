#!/usr/bin/env bash
# Times the destruction of one large file and of many small ones, as the program does it and as
# GNU shred and dd do it, each contender on a fresh copy of the same content, and prints the
# medians. The program is timed twice: inside the process without a window ("in-process"), and
# as the user sees it, with the main window shown, from the click on "Далее" to the finish page
# ("window"). Another run times the system calls inside it: where the time goes. In a run of
# its own, since asking costs time too, it prints the longest time the
# window took to answer a message every 5 ms, and how many answers took longer than 50 ms.
# Contenders: `shred -n0 -z -u` (one pass of zeros, then renames and unlinks), and dd writing
# the same zeros in place with a final fsync followed by rm, as the program writes in place.
# Many files chosen at once: every file of a folder of MANY_FILES files of 4 KiB chosen in the
# real open-file dialog (their names typed into it, then "Open"), timed from "Open" and from the
# dialog closed to the list holding them, with the window's longest answer meanwhile; then the
# run over them (window shown, asked for answers all along), beside shred over the same files.
# A folder of MANY_FILES files added with "Добавить папку" (the dialog answering at once): timed
# from the dialog's answer to the list holding every file, with the window's longest answer.
# The display gets a window manager, as every desktop has: without one, the X driver waits two
# seconds for each hidden top-level window to be withdrawn, the closing dialog's included.
# With VEXLOR_BASELINE_BUILD set to another build tree (its vexlor_wipe_benchmark built), that
# build destroys the same files too, round by round beside this one: a before and after measured
# on the same machine under the same load.
# With "free-space" first, only the cleaning of a volume's free space is timed instead: on a
# fresh NTFS image of IMAGE_MIB (ntfs-3g, as root), the program through its window (the folder
# and the answer given through the seams) from the menu item to the finish page, with the
# window's longest answer, beside dd filling a file on the same fresh volume to full with
# conv=fsync and removing it; medians of ROUNDS.
# With VEXLOR_BENCHMARK_SLOW_ANSWERS set, every answer of the window over 40 ms is printed with
# when it was asked, to find where the window waits.
# Usage: scripts/benchmark-wipe.sh [SIZE_MIB [ROUNDS [SMALL_FILES [MANY_FILES [MANY_ROUNDS]]]]]
#        (default 512 MiB, 5 rounds, 1000 files of 4 KiB; 10000 files, 3 rounds)
#        scripts/benchmark-wipe.sh free-space [IMAGE_MIB [ROUNDS]]   (default 1024 MiB, 3 rounds)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
. scripts/wine-env.sh

if [ "${1:-}" = free-space ]; then
  exec scripts/benchmark-free-space.sh "${@:2}"
fi

size_mib=${1:-512}
rounds=${2:-5}
small_count=${3:-1000}
many_count=${4:-10000}
many_rounds=${5:-3}
build=${VEXLOR_BUILD_DIR:-$root/build}

scripts/install-deps.sh
scripts/install-deps.sh openbox
cmake --preset mingw -B "$build" -DVEXLOR_BUILD_TESTS=ON >/dev/null
cmake --build "$build" --target vexlor_wipe_benchmark

export WINEPREFIX="$build/wineprefix-benchmark"
[ -f "$WINEPREFIX/system.reg" ] || vexlor_fresh_prefix "$WINEPREFIX"
vexlor_prefix_fonts "$WINEPREFIX"
unset DISPLAY
vexlor_ensure_display
openbox >/dev/null 2>&1 &
window_manager=$!
work="$build/benchmark"
cleanup() {
  rm -rf "$work"
  kill "$window_manager" 2>/dev/null || true
  wineserver -k 2>/dev/null || true
  [ -n "${VEXLOR_XVFB_PID:-}" ] && kill "$VEXLOR_XVFB_PID" 2>/dev/null || true
}
trap cleanup EXIT
rm -rf "$work" && mkdir -p "$work/template-small" "$work/template-many"
wineserver -k 2>/dev/null || true # a server left by a run that was stopped would refuse the next
wineserver -p # one server for every round, so Wine's start-up is not what is measured

# The same non-zero content for every contender, written out to the disk before the clock runs.
head -c "${size_mib}M" /dev/urandom >"$work/template"
for i in $(seq -w 1 "$small_count"); do head -c 4096 /dev/urandom >"$work/template-small/f$i"; done
for i in $(seq -w 1 "$many_count"); do head -c 4096 /dev/urandom >"$work/template-many/f$i"; done
fresh() { # fresh SOURCE TARGET
  rm -rf "$2"
  cp -r "$1" "$2"
  sync
}
now() { date +%s.%N; }
since() { echo "$(now) - $1" | bc -l; }
exe="$build/tests/vexlor_wipe_benchmark.exe"
vexlor() { # vexlor MODE PATH [EXE]: prints the program's own figures
  wine "${3:-$exe}" "$1" "$(winepath -w "$2")" | tr -d '\r'
}
baseline=${VEXLOR_BASELINE_BUILD:+$VEXLOR_BASELINE_BUILD/tests/vexlor_wipe_benchmark.exe}

declare -A times
record() { times[$1]="${times[$1]:-} $2"; }
gone() { [ ! -e "$1" ] || [ -z "$(ls -A "$1" 2>/dev/null)" ] || { echo "$1 was left" >&2; exit 1; }; }

for round in $(seq 1 "$rounds"); do
  for kind in large small; do
    if [ $kind = large ]; then src="$work/template"; else src="$work/template-small"; fi
    target="$work/$kind"

    fresh "$src" "$target"
    record "$kind inprocess" "$(vexlor inprocess "$target")"
    gone "$target"

    fresh "$src" "$target"
    record "$kind window" "$(vexlor window "$target")"
    gone "$target"

    fresh "$src" "$target"
    read -r total _ writes _ window_flushes _ helper_flushes _ renames _ deletes \
      <<<"$(vexlor profile "$target")"
    for part in total writes window_flushes helper_flushes renames deletes; do
      record "$kind profile $part" "${!part}"
    done
    gone "$target"

    fresh "$src" "$target"
    read -r _ answer slow <<<"$(vexlor answers "$target")"
    record "$kind answer" "$answer"
    record "$kind slow" "$slow"
    gone "$target"

    if [ -n "$baseline" ]; then
      fresh "$src" "$target"
      record "$kind baseline window" "$(vexlor window "$target" "$baseline")"
      gone "$target"
      fresh "$src" "$target"
      read -r _ answer slow <<<"$(vexlor answers "$target" "$baseline")"
      record "$kind baseline answer" "$answer"
      record "$kind baseline slow" "$slow"
      gone "$target"
    fi

    fresh "$src" "$target"
    start=$(now)
    if [ $kind = large ]; then shred -n0 -z -u "$target"; else shred -n0 -z -u "$target"/*; fi
    record "$kind shred" "$(since "$start")"
    gone "$target"

    fresh "$src" "$target"
    start=$(now)
    if [ $kind = large ]; then
      dd if=/dev/zero of="$target" bs=1M count="$size_mib" conv=notrunc,fsync status=none
      rm -f "$target"
    else
      for f in "$target"/*; do
        dd if=/dev/zero of="$f" bs=4096 count=1 conv=notrunc,fsync status=none
        rm -f "$f"
      done
    fi
    record "$kind dd" "$(since "$start")"
    gone "$target"
  done
  echo "round $round done"
done

for round in $(seq 1 "$many_rounds"); do
  target="$work/many"
  fresh "$work/template-many" "$target"
  read -r from_open from_closed _ filling run answer <<<"$(vexlor choose "$target")"
  record "many open" "$from_open"
  record "many closed" "$from_closed"
  record "many filling" "$filling"
  record "many run" "$run"
  record "many answer" "$answer"
  gone "$target"

  fresh "$work/template-many" "$target"
  read -r folder_listed folder_answer <<<"$(vexlor folder "$target")"
  record "many folder" "$folder_listed"
  record "many folder answer" "$folder_answer"

  fresh "$work/template-many" "$target"
  start=$(now)
  shred -n0 -z -u "$target"/*
  record "many shred" "$(since "$start")"
  gone "$target"
  echo "round $round of the $many_count files done"
done

median() { printf '%s\n' $1 | sort -g | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
ratio() { echo "$1 / $2" | bc -l; }
for kind in large small; do
  if [ $kind = large ]; then echo "one file of $size_mib MiB, median of $rounds rounds"
  else echo "$small_count files of 4 KiB, median of $rounds rounds"; fi
  w=$(median "${times[$kind window]}")
  s=$(median "${times[$kind shred]}")
  d=$(median "${times[$kind dd]}")
  printf '  vexlor, window shown               %7.3f s  (longest answer %s ms, %s over 50 ms)\n' \
    "$w" "$(median "${times[$kind answer]}")" "$(median "${times[$kind slow]}")"
  printf '  vexlor, in-process                 %7.3f s\n' "$(median "${times[$kind inprocess]}")"
  p() { median "${times[$kind profile $1]}"; }
  printf '  where a run of %.3f s went: writes %.3f, flushes on the window thread %.3f, on helpers %.3f, renames %.3f, deletes %.3f s\n' \
    "$(p total)" "$(p writes)" "$(p window_flushes)" "$(p helper_flushes)" "$(p renames)" "$(p deletes)"
  if [ -n "$baseline" ]; then
    printf '  baseline build, window shown       %7.3f s  (longest answer %s ms, %s over 50 ms)\n' \
      "$(median "${times[$kind baseline window]}")" "$(median "${times[$kind baseline answer]}")" \
      "$(median "${times[$kind baseline slow]}")"
  fi
  printf '  shred -n0 -z -u                    %7.3f s\n' "$s"
  printf '  dd conv=notrunc,fsync + rm         %7.3f s\n' "$d"
  printf '  window / shred = %.2f, window / (dd + rm) = %.2f\n' "$(ratio "$w" "$s")" "$(ratio "$w" "$d")"
done
if [ "$many_rounds" -gt 0 ]; then
  m() { median "${times[many $1]}"; }
  echo "$many_count files of 4 KiB chosen at once, median of $many_rounds rounds"
  printf '  from "Open" to the list holding them      %7.3f s\n' "$(m open)"
  printf '  from the dialog closed to the list        %7.3f s  (longest answer %s ms)\n' \
    "$(m closed)" "$(m filling)"
  printf '  a folder of them added, answer to list    %7.3f s  (longest answer %s ms)\n' \
    "$(m folder)" "$(m 'folder answer')"
  printf '  vexlor run, window shown                  %7.3f s  (longest answer %s ms)\n' \
    "$(m run)" "$(m answer)"
  printf '  shred -n0 -z -u                           %7.3f s\n' "$(m shred)"
  printf '  run / shred = %.2f\n' "$(ratio "$(m run)" "$(m shred)")"
fi
