#!/usr/bin/env bash
# Fuzzes the picture decoders (PNG, JPEG) and the resampling natively on Linux with libFuzzer,
# AddressSanitizer and UndefinedBehaviorSanitizer, against Debian's libpng and libjpeg-turbo.
# Usage: scripts/fuzz-pictures.sh [SECONDS]   (default 600)
# The corpus grows in build-fuzz/corpus (seeded from tests/data); findings land in
# build-fuzz/findings as crash-*, timeout-*, oom-* files. Exits non-zero on a finding.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
seconds=${1:-600}
out=${VEXLOR_FUZZ_DIR:-$root/build-fuzz}

missing=()
for p in clang libclang-rt-dev libpng-dev libjpeg62-turbo-dev zlib1g-dev; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

mkdir -p "$out/corpus" "$out/findings"
clang++ -std=c++20 -g -O1 -fno-omit-frame-pointer \
  -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
  -Wall -Wextra -Wshadow -Wimplicit-fallthrough -Wformat=2 -Isrc \
  src/ui/picture.cpp fuzz/picture_fuzzer.cpp -lpng -ljpeg -lz -o "$out/picture_fuzzer"

cp tests/data/*.png tests/data/*.jpg "$out/corpus/" 2>/dev/null || true
cd "$out"
# A smaller quarantine keeps the freed pixel buffers of large pictures from piling up.
export ASAN_OPTIONS=${ASAN_OPTIONS:-quarantine_size_mb=64:allocator_release_to_os_interval_ms=1000}
exec ./picture_fuzzer -max_total_time="$seconds" -timeout=10 -rss_limit_mb=4096 \
  -dict="$root/fuzz/picture.dict" -artifact_prefix=findings/ -print_final_stats=1 corpus
