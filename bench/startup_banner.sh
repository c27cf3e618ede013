#!/usr/bin/env bash
# Start-up time of Dovrane.exe under Wine with the maker's server answering,
# refusing and hung: from the process's start to its main window being
# visible, the median (min, max) of N runs each.
#   bench/startup_banner.sh [--runs N] [--build DIR]
#     --build DIR    a Windows build folder other than the route's own
#                    (build/windows or build/windows64, scripts/wine-route);
#                    its DOVRANE_SERVER says which port is used, its
#                    toolchain which Wine loader runs it
# answering: scripts/serve's nginx serves the description and the banner.
# refusing:  nothing listens on the server's port.
# hung:      a listener accepts connections and never answers (perl, which
#            every Debian has), so the load waits out its grace for the banner.
# A server that already holds the port is paused and started again after.
# Works with or without $DISPLAY (a private Xvfb when there is none).
# Env: DOVRANE_WINEPREFIX (default build/bench-wineprefix).
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
repo=$(cd "$here/.." && pwd)

runs=10
build=
while [ $# -gt 0 ]; do
    case "$1" in
        --runs) runs=$2; shift 2 ;;
        --build) build=$(cd "$2" && pwd); shift 2 ;;
        *) echo "usage: startup_banner.sh [--runs N] [--build DIR]" >&2; exit 2 ;;
    esac
done
[[ $runs =~ ^[1-9][0-9]*$ ]] || { echo "startup_banner.sh: --runs takes a positive number" >&2; exit 2; }
if [ -n "$build" ] && grep -q '^CMAKE_TOOLCHAIN_FILE.*mingw64' "$build/CMakeCache.txt" 2>/dev/null; then
    export DOVRANE_WINE_ARCH=64
elif [ -n "$build" ] && [ -f "$build/CMakeCache.txt" ]; then
    export DOVRANE_WINE_ARCH=32
fi
"$repo/scripts/wine-route" --say >&2
# shellcheck source=scripts/wine-env
. "$repo/scripts/wine-env"
build=${build:-$dovrane_build}
if [ -z "${DISPLAY:-}" ]; then
    exec "$repo/scripts/with-xvfb" "$0" --runs "$runs" --build "$build"
fi

cd "$repo"
[ -f "$build/build.ninja" ] || cmake --preset "$dovrane_preset" -B "$build" >/dev/null
echo "building Dovrane and startwatch ..." >&2
cmake --build "$build" -j2 --target Dovrane startwatch >&2

export DOVRANE_WINEPREFIX=${DOVRANE_WINEPREFIX:-$repo/build/bench-wineprefix$dovrane_suffix}
wine_run() { "$repo/scripts/wine-run" --prefix "$DOVRANE_WINEPREFIX" "$@"; }

server=$(sed -n 's/^DOVRANE_SERVER:STRING=//p' "$build/CMakeCache.txt")
server=${server:-http://127.0.0.1:8917}
[[ $server =~ ^http://([^:/]+):([0-9]+) ]] || { echo "startup_banner.sh: odd server $server" >&2; exit 1; }
host=${BASH_REMATCH[1]}
port=${BASH_REMATCH[2]}

# Dovrane writes its banner beside itself: a copy in a folder of its own.
# Without a window manager Wine waits up to 2 s for one whenever a managed
# window is hidden, as the splash screen is; the copy is named so that Wine
# manages none of its windows and the figures show the program's own cost
# (see bench/README.md).
stage=$(mktemp -d "$repo/build/bench-banner.XXXXXX")
exe=$stage/Dovrane-unmanaged.exe
cp "$build/app/Dovrane.exe" "$exe"
unmanaged_key='HKCU\Software\Wine\AppDefaults\Dovrane-unmanaged.exe\X11 Driver'
wine_run reg add "$unmanaged_key" /v Managed /d N /f >/dev/null 2>&1

hung_pid=""
serve_was_up=no
"$repo/scripts/serve" status --server "$server" >/dev/null 2>&1 && serve_was_up=yes
cleanup() {
    [ -n "$hung_pid" ] && kill "$hung_pid" 2>/dev/null || true
    wine_run reg delete "$unmanaged_key" /f >/dev/null 2>&1 || true
    rm -rf "$stage"
    "$repo/scripts/serve" stop --server "$server" >/dev/null 2>&1 || true
    if [ $serve_was_up = yes ]; then "$repo/scripts/serve" start --server "$server" >/dev/null || true; fi
}
trap cleanup EXIT

port_open() { (exec 3<>"/dev/tcp/$host/$port") 2>/dev/null; }

measure() {
    local out
    rm -f "$stage"/*.gif
    out=$(wine_run "$build/tests/tools/startwatch.exe" --close --timeout 60000 frmKestrow \
        "$("$repo/scripts/winpath" "$exe")" 2>/dev/null | tr -d '\r') || true
    [[ $out =~ ^[0-9]+(\.[0-9]+)?$ ]] || { echo "startup_banner.sh: no main window" >&2; return 1; }
    echo "$out"
}

stats() {
    sort -n | awk '{ v[NR] = $1 } END {
        m = NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2
        printf "%9.1f %9.1f %9.1f", m, v[1], v[NR] }'
}

scenario() {  # scenario NAME: runs the program $runs times, prints one row
    local name=$1 times=() banner
    for i in $(seq 1 "$runs"); do
        times+=("$(measure)")
        printf '  %-10s run %2d: %8s ms\n' "$name" "$i" "${times[-1]}" >&2
    done
    banner=$([ -n "$(ls "$stage"/*.gif 2>/dev/null)" ] && echo yes || echo no)
    printf '  %-10s %s   %s\n' "$name" "$(printf '%s\n' "${times[@]}" | stats)" "$banner"
}

"$repo/scripts/serve" start --server "$server" >/dev/null
measure >/dev/null  # the prefix and the first loads of the DLLs count for no one
rows=()
rows+=("$(scenario answering)")

"$repo/scripts/serve" stop --server "$server" >/dev/null
port_open && { echo "startup_banner.sh: something else holds $host:$port" >&2; exit 1; }
rows+=("$(scenario refusing)")

perl -MIO::Socket::INET -e '
    my $s = IO::Socket::INET->new(LocalAddr => $ARGV[0], LocalPort => $ARGV[1],
                                  Listen => 16, ReuseAddr => 1) or die "listen: $!\n";
    my @held;
    while (my $c = $s->accept) { push @held, $c }' "$host" "$port" &
hung_pid=$!
for _ in $(seq 1 100); do port_open && break; sleep 0.05; done
rows+=("$(scenario hung)")

echo "Start-up under Wine with the banner server in three states: process start to main window visible (ms), median of $runs runs each"
echo "  $(wine --version), display $DISPLAY, prefix $DOVRANE_WINEPREFIX, server $server"
printf '  %-10s %9s %9s %9s   %s\n' server median min max banner
printf '%s\n' "${rows[@]}"
echo "  (the fetches run beside the load, which waits for the banner at most 0.4 s after"
echo "   they began: a hung server costs that grace, and its transfer is given up later)"
