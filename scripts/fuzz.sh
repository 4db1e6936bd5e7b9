#!/usr/bin/env bash
# Fuzzes one of the program's plain parsers natively on Linux with clang's libFuzzer,
# AddressSanitizer and UndefinedBehaviorSanitizer:
#   pictures  the PNG and JPEG decoders and the resampling (against Debian's libpng, libjpeg)
#   tips      text files read as lines (byte-order marks, line breaks), tip lines, the draw
#   http      the HTTP response parser, fed in random pieces
# Usage: scripts/fuzz.sh TARGET [SECONDS]   (default 600; VEXLOR_FUZZ_DIR, default build-fuzz/)
# The corpus grows in build-fuzz/corpus-TARGET; findings (crash-*, timeout-*, oom-*) land in
# build-fuzz/findings-TARGET. Exits non-zero on a finding.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
target=${1:?usage: scripts/fuzz.sh pictures|tips|http [SECONDS]}
seconds=${2:-600}
out=${VEXLOR_FUZZ_DIR:-$root/build-fuzz}

packages=(clang libclang-rt-dev)
options=()
case "$target" in
  pictures)
    packages+=(libpng-dev libjpeg62-turbo-dev zlib1g-dev)
    sources=(src/pictures/picture.cpp fuzz/picture_fuzzer.cpp)
    libraries=(-lpng -ljpeg -lz)
    seeds=(tests/data)
    # A smaller quarantine keeps the freed pixel buffers of large pictures from piling up.
    export ASAN_OPTIONS=${ASAN_OPTIONS:-quarantine_size_mb=64:allocator_release_to_os_interval_ms=1000}
    options=(-timeout=10 -rss_limit_mb=4096 -dict=fuzz/picture.dict)
    ;;
  tips)
    sources=(fuzz/tips_fuzzer.cpp src/base/text_lines.cpp src/dialogs/tips.cpp)
    libraries=()
    seeds=(fuzz/corpus/tips)
    options=(-dict=fuzz/tips.dict -max_len=4096)
    ;;
  http)
    sources=(fuzz/http_response_fuzzer.cpp src/update/http_response.cpp)
    libraries=()
    seeds=(fuzz/corpus/http_response)
    # Lines and bodies near the bounds need inputs of some kilobytes.
    options=(-dict=fuzz/http_response.dict -max_len=20000)
    ;;
  *)
    echo "unknown target: $target (pictures, tips or http)" >&2
    exit 2
    ;;
esac
scripts/install-deps.sh "${packages[@]}"

corpus="$out/corpus-$target"
findings="$out/findings-$target"
mkdir -p "$corpus" "$findings"
clang++ -std=c++20 -g -O1 -fno-omit-frame-pointer -Wall -Wextra -Wshadow -Wimplicit-fallthrough \
  -Wformat=2 -Werror -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all -I src \
  "${sources[@]}" "${libraries[@]}" -o "$out/${target}_fuzzer"

exec "$out/${target}_fuzzer" "$corpus" "${seeds[@]}" -max_total_time="$seconds" \
  -print_final_stats=1 -artifact_prefix="$findings/" "${options[@]}"
