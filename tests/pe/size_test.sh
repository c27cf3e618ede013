#!/usr/bin/env bash
# Dovrane.exe as shipped (symbols stripped, as scripts/release ships it) must
# stay within its size budget: it is downloaded over dial-up lines.
#   size_test.sh EXE [STRIP] [--report]
# --report: only say the size (the 64-bit build, which has no budget of its
# own: XP x64 machines came with broadband).
set -euo pipefail
exe=$1
strip=${2:-i686-w64-mingw32-strip}
report=${3:-}
budget=250000
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$strip" -o "$work/shipped.exe" "$exe"
size=$(stat -c %s "$work/shipped.exe")
if [ "$report" = --report ]; then
    echo "Dovrane.exe as shipped: $size bytes (no budget for this build)"
    exit 0
fi
echo "Dovrane.exe as shipped: $size bytes (budget $budget)"
if [ "$size" -gt "$budget" ]; then
    echo "FAIL: $((size - budget)) bytes over budget; see what grew with" >&2
    echo "  i686-w64-mingw32-nm --size-sort -S -C $exe | tail" >&2
    exit 1
fi
