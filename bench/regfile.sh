#!/usr/bin/env bash
# Time of reading, checking and applying registration files that would show
# growth faster than the file: hostile files at the size cap and a restore of
# 20,000 Run history values through the backed-up registry (regfile_bench).
# Built optimised and without sanitizers in build/bench.
#   bench/regfile.sh [CAP_BYTES [ENTRIES]]   (default 1048576 20000)
set -euo pipefail
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=$repo/build/bench
if [ ! -f "$build/build.ninja" ]; then
    cmake -S "$repo" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_COMPILER=g++ \
          -DDOVRANE_SANITIZE=OFF -DBUILD_TESTING=OFF >/dev/null
fi
cmake --build "$build" -j2 --target regfile_bench >&2
"$build/bench/regfile_bench" "$@"
