#!/usr/bin/env bash
# Runs in-process tests as an unprivileged user, in a Wine prefix of that user's own. Wine run
# as root writes read-only files regardless, so only this way does the read-only case run.
# Usage: scripts/test-as-user.sh USER [GTEST_FILTER]
# Run as root: creates USER when missing. Run as anyone else: exits 77 (skipped), since it
# cannot switch users. Fails when the chosen tests skip themselves, so a skip never passes.
# Builds nothing: the tests must be built first (VEXLOR_BUILD_DIR, default build/).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
user=${1:?usage: scripts/test-as-user.sh USER [GTEST_FILTER]}
filter=${2:-Overwrite.ReadOnly*}
build=${VEXLOR_BUILD_DIR:-$root/build}
tests="$build/tests/vexlor_tests.exe"
[ -f "$tests" ] || { echo "build the tests first: $tests is missing" >&2; exit 1; }

if [ "$(id -u)" -ne 0 ]; then
  echo "not root: cannot run tests as another user" >&2
  exit 77
fi
id "$user" >/dev/null 2>&1 || useradd -m -s /bin/bash "$user"

# The build tree may lie where the user cannot read (under /root, say): run a copy of the
# self-contained test program, and the Wine settings, from a folder of its own.
copy=$(mktemp -d /tmp/vexlor-user-tests.XXXXXX)
trap 'rm -rf "$copy"' EXIT
cp "$tests" "$root/scripts/wine-env.sh" "$copy/"
chmod 755 "$copy" && chmod 644 "$copy"/*
tests="$copy/$(basename "$tests")"

output=$(su "$user" -s /bin/bash -c "
  set -e
  unset DISPLAY WINEPREFIX
  . '$copy/wine-env.sh'
  export WINEPREFIX=\$HOME/.vexlor-wineprefix
  [ -f \"\$WINEPREFIX/system.reg\" ] || vexlor_fresh_prefix \"\$WINEPREFIX\"
  cd /tmp
  status=0
  xvfb-run -a -s '-screen 0 1280x1024x24' wine '$tests' --gtest_filter='$filter' </dev/null || status=\$?
  wineserver -k 2>/dev/null || true
  exit \$status
" 2>&1) || { echo "$output"; exit 1; }
echo "$output"
if grep -q '\[  SKIPPED \]' <<<"$output" || ! grep -q '\[  PASSED  \] [1-9]' <<<"$output"; then
  echo "the tests did not run as $user" >&2
  exit 1
fi
