#!/usr/bin/env bash
# Compiles every source of src/ with clang for the same target as the build (syntax and
# warnings only, against mingw-w64's headers and libstdc++), so that the code stays portable
# beyond GCC. Fails on any error or warning. Takes the headers CMake generates from the
# configured build (VEXLOR_BUILD_DIR, default build/).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
scripts/install-deps.sh clang >/dev/null
gcc_dir=$(dirname "$(x86_64-w64-mingw32-g++-posix -print-libgcc-file-name)")
deps=${VEXLOR_DEPS_DIR:-$HOME/.cache/vexlor/mingw-deps}
generated=${VEXLOR_BUILD_DIR:-$root/build}/generated
[ -f "$generated/product_build.h" ] || { echo "configure the build first: no $generated" >&2; exit 1; }
flags=(--target=x86_64-w64-mingw32 -std=c++20 -fsyntax-only -nostdinc++
       -isystem "$gcc_dir/include/c++" -isystem "$gcc_dir/include/c++/x86_64-w64-mingw32"
       -isystem "$gcc_dir/include/c++/backward" -isystem "$deps/include" -Isrc -I"$generated"
       -DUNICODE -D_UNICODE -DWIN32_LEAN_AND_MEAN -DNOMINMAX -D_WIN32_WINNT=0x0601
       -Wall -Wextra -Wshadow -Wimplicit-fallthrough -Wformat=2 -Wno-missing-field-initializers
       -Woverloaded-virtual -Werror)
failed=0
while IFS= read -r source; do
  clang++ "${flags[@]}" "$source" || failed=1
done < <(find src -name '*.cpp' | sort)
exit $failed
