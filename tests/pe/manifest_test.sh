#!/usr/bin/env bash
# The manifest Dovrane.exe carries must name the processor it was built for,
# for the program and for the common controls it asks for: Windows will not
# start a program whose manifest names another width. Read from the file
# itself, so that it runs on any machine, whichever Wine route it has.
#   manifest_test.sh EXE X86|amd64
set -euo pipefail
exe=$1
want=$2
found=$(strings -n 8 "$exe" | grep -o 'processorArchitecture="[^"]*"' || true)
[ -n "$found" ] || { echo "$exe: no manifest with a processorArchitecture found"; exit 1; }
count=$(wc -l <<<"$found")
[ "$count" -eq 2 ] || { echo "$exe: $count processorArchitecture attributes, expected 2 (program and common controls)"; exit 1; }
bad=$(grep -v "=\"$want\"" <<<"$found" || true)
[ -z "$bad" ] || { echo "$exe: the manifest names $bad, expected $want"; exit 1; }
echo "$exe: the manifest names $want for the program and the common controls"
