#!/usr/bin/env bash
# Fuzzes the reading of tips files natively with clang's libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer: byte-order marks, line breaks, tip lines and the random draw.
# Usage: scripts/fuzz-tips.sh [SECONDS]   (default 600; VEXLOR_FUZZ_DIR, default build-fuzz/)
# The corpus grows in build-fuzz/corpus-tips (seeded from fuzz/corpus/tips); findings land in
# build-fuzz/findings-tips. Exits non-zero on a finding.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
seconds=${1:-600}
out=${VEXLOR_FUZZ_DIR:-$root/build-fuzz}

missing=()
for p in clang libclang-rt-dev; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

mkdir -p "$out/corpus-tips" "$out/findings-tips"
clang++ -std=c++20 -g -O1 -fno-omit-frame-pointer -Wall -Wextra -Wshadow -Wimplicit-fallthrough \
  -Wformat=2 -Werror -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all -I src \
  fuzz/tips_fuzzer.cpp src/base/text_lines.cpp src/dialogs/tips.cpp -o "$out/tips_fuzzer"

exec "$out/tips_fuzzer" "$out/corpus-tips" fuzz/corpus/tips -dict=fuzz/tips.dict \
  -max_total_time="$seconds" -max_len=4096 -print_final_stats=1 \
  -artifact_prefix="$out/findings-tips/"
