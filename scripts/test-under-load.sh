#!/usr/bin/env bash
# Runs the test command ROUNDS times in a row (default 3) while stress-ng keeps both cores and
# the disk busy, as a slow or shared CI machine would: no test may depend on the machine's speed.
# Extra arguments go to ctest. Prints each round's summary; fails when any round failed.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
rounds=${ROUNDS:-3}

scripts/install-deps.sh stress-ng
stress-ng --cpu "$(nproc)" --io 1 --timeout 4h >/dev/null 2>&1 &
load=$!
trap 'kill "$load" 2>/dev/null || true' EXIT

logs="${VEXLOR_BUILD_DIR:-$root/build}"
mkdir -p "$logs" # a fresh clone has no build tree yet
failed=0
for round in $(seq 1 "$rounds"); do
  log="$logs/test-under-load-$round.log"
  if scripts/test.sh "$@" >"$log" 2>&1; then status=passed; else status=FAILED; failed=1; fi
  echo "round $round: $status; $(grep -E 'tests passed|tests failed' "$log" | tail -1)"
  grep -E '^\s+[0-9]+ - .*\((Failed|Timeout)\)' "$log" || true
done
exit "$failed"
