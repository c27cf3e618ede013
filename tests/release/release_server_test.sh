#!/usr/bin/env bash
# scripts/release names the maker's server in what it builds: it must refuse
# a missing or malformed address and, unless told it builds for tests, any
# address of the machine it runs on, however that is written. The script runs
# with no packer on its PATH, so an address it takes ends at "makensis is
# missing" before anything is built.
set -uo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
release=$here/../../scripts/release
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/bin" "$work/build"
for tool in dirname realpath sed; do ln -s "$(command -v "$tool")" "$work/bin/$tool"; done

failures=0
# expect taken|refused ARGS...
expect() {
    local want=$1 out got
    shift
    out=$(PATH=$work/bin "$BASH" "$release" --windows-build "$work/build" "$@" 2>&1)
    if grep -q "makensis is missing" <<<"$out"; then got=taken; else got=refused; fi
    if [ "$got" != "$want" ]; then
        echo "FAIL: release $* was $got, not $want: $out" >&2
        failures=$((failures + 1))
    fi
}

for url in https://dovrane.example http://dovrane.example:8080 http://10.0.0.1 \
    http://128.0.0.1 http://[2001:db8::1]:80 http://localhost.example.com http://my-localhost; do
    expect taken --server "$url"
done
for url in http://127.0.0.1:8917 http://127.255.1.2 http://LOCALHOST http://localhost. \
    http://a.localhost http://0.0.0.0 http://[::1]:8917 http://[0:0:0:0:0:0:0:1] \
    http://[::ffff:127.0.0.1]; do
    expect refused --server "$url"
    expect taken --server "$url" --test-build
done
# Not a plain server address, test build or not.
for url in "" 127.0.0.1 ftp://dovrane.example http://dovrane.example/path http://u@dovrane.example \
    http://127.1 http://2130706433 http://0x7f.0.0.1 http://0177.0.0.1 http://1.2.3.256 \
    "http://a b" http://a:123456; do
    expect refused --server "$url" --test-build
done
# No --server: the build folder's setting, and none at all.
expect refused
echo 'DOVRANE_SERVER:STRING=https://dovrane.example' >"$work/build/CMakeCache.txt"
expect taken
echo 'DOVRANE_SERVER:STRING=http://127.0.0.1:8917' >"$work/build/CMakeCache.txt"
expect refused
expect taken --test-build
expect taken --server https://dovrane.example

[ "$failures" -eq 0 ] || { echo "$failures case(s) failed" >&2; exit 1; }
echo "release server checks passed"
