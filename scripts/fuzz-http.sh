#!/usr/bin/env bash
# Builds the HTTP response parser natively with clang's libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer, and fuzzes it for SECONDS (default 600) from the seeds in
# fuzz/corpus/http_response. The growing corpus and any crashing input stay in the build dir.
# Usage: scripts/fuzz-http.sh [SECONDS]   (VEXLOR_FUZZ_DIR, default build-fuzz/)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
seconds=${1:-600}
out=${VEXLOR_FUZZ_DIR:-$root/build-fuzz}
mkdir -p "$out/corpus" "$out/findings"

clang++ -std=c++20 -g -O1 -Wall -Wextra -Wshadow -Wimplicit-fallthrough -Wformat=2 -Werror \
  -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all -I src \
  fuzz/http_response_fuzzer.cpp src/update/http_response.cpp -o "$out/http_response_fuzzer"

# Lines and bodies near the bounds need inputs of some kilobytes.
"$out/http_response_fuzzer" "$out/corpus" fuzz/corpus/http_response \
  -dict=fuzz/http_response.dict -max_total_time="$seconds" -max_len=20000 -print_final_stats=1 \
  -artifact_prefix="$out/findings/"
