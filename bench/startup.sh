#!/usr/bin/env bash
# Start-up time of Dovrane.exe under Wine: from the process's start to its
# first window (the splash) and to its main window being visible, the median
# of N runs, beside two floors measured in the same run, turn about: an empty
# window (minimal_window.exe) and the same window made the way Dovrane makes
# its own, with the XP visual style and one themed button (themed_window.exe).
# Each figure is also given as a ratio to each floor. It runs the build of
# this machine's Wine route (scripts/wine-route).
#   bench/startup.sh [--runs N] [--no-server] [--against OTHER.exe]
#     --runs N       runs of each program (default 10), after one warm-up each
#     --no-server    measure with the maker's server down (default: up, started
#                    with scripts/serve and stopped afterwards if we started it)
#     --against EXE  another build of Dovrane.exe (an older one, say), measured
#                    turn about with this one in the same run, so that the two
#                    share the machine's noise
# Works with or without $DISPLAY (a private Xvfb when there is none).
# Env: DOVRANE_WINEPREFIX (default build/bench-wineprefix).
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
repo=$(cd "$here/.." && pwd)

runs=10
want_server=yes
against=
while [ $# -gt 0 ]; do
    case "$1" in
        --runs) runs=$2; shift 2 ;;
        --no-server) want_server=no; shift ;;
        --against) against=$(realpath "$2"); shift 2 ;;
        *) echo "usage: startup.sh [--runs N] [--no-server] [--against OTHER.exe]" >&2; exit 2 ;;
    esac
done
[ -z "$against" ] || [ -f "$against" ] || { echo "startup.sh: no such program: $against" >&2; exit 2; }
[[ $runs =~ ^[1-9][0-9]*$ ]] || { echo "startup.sh: --runs takes a positive number" >&2; exit 2; }

# One display for every run, so that no run pays for starting one.
if [ -z "${DISPLAY:-}" ]; then
    export DOVRANE_BENCH_XVFB=1
    again=(--runs "$runs")
    [ $want_server = no ] && again+=(--no-server)
    [ -n "$against" ] && again+=(--against "$against")
    exec "$repo/scripts/with-xvfb" "$0" "${again[@]}"
fi

cd "$repo"
route_line=$("$repo/scripts/wine-route" --say)
echo "$route_line" >&2
# shellcheck source=scripts/wine-env
. "$repo/scripts/wine-env"
build=$dovrane_build
[ -f "$build/build.ninja" ] || cmake --preset "$dovrane_preset" >/dev/null
echo "building Dovrane, startwatch and the floors ..." >&2
cmake --build --preset "$dovrane_preset" -j2 --target Dovrane startwatch minimal_window themed_window >&2

export DOVRANE_WINEPREFIX=${DOVRANE_WINEPREFIX:-$repo/build/bench-wineprefix$dovrane_suffix}
wine_run() { "$repo/scripts/wine-run" --prefix "$DOVRANE_WINEPREFIX" "$@"; }

# Dovrane writes its banner beside itself: run a copy in a folder of its own.
stage=$(mktemp -d "$repo/build/bench-startup.XXXXXX")
mkdir "$stage/unmanaged"
# Without a window manager (Xvfb), Wine waits up to 2 s for one each time a
# managed window is hidden, as the splash screen is. A second copy, under a
# name of its own, runs with Wine managing no window, which shows what the
# program itself costs.
unmanaged_key='HKCU\Software\Wine\AppDefaults\Dovrane-unmanaged.exe\X11 Driver'
server_started=no
cleanup() {
    wine_run reg delete "$unmanaged_key" /f >/dev/null 2>&1 || true
    rm -rf "$stage"
    if [ $server_started = yes ]; then "$repo/scripts/serve" stop --server "$server" >/dev/null || true; fi
}
trap cleanup EXIT
cp "$build/app/Dovrane.exe" "$stage/"
cp "$build/tests/tools/minimal_window.exe" "$build/tests/tools/themed_window.exe" "$stage/"
cp "$build/app/Dovrane.exe" "$stage/unmanaged/Dovrane-unmanaged.exe"
# The other build under the same name, in a folder of its own for its banner.
if [ -n "$against" ]; then
    mkdir "$stage/against"
    cp "$against" "$stage/against/Dovrane.exe"
fi
wine_run reg add "$unmanaged_key" /v Managed /d N /f >/dev/null 2>&1

# The address the program was built to fetch its banner from.
server=$(sed -n 's/^DOVRANE_SERVER:STRING=//p' "$build/CMakeCache.txt")
server=${server:-http://127.0.0.1:8917}
# Up means: the banner description is served there, by whoever runs it.
server_answers() {
    [[ $server =~ ^http://([^:/]+):([0-9]+) ]] || return 1
    local reply
    reply=$(timeout 5 bash -c 'exec 3<>"/dev/tcp/$0/$1" &&
        printf "GET /dovrane/dovrane.php HTTP/1.0\r\nHost: %s\r\n\r\n" "$0" >&3 && head -n 1 <&3' \
        "${BASH_REMATCH[1]}" "${BASH_REMATCH[2]}" 2>/dev/null) || return 1
    [[ $reply == "HTTP/1."?" 200"* ]]
}
if server_answers; then
    server_state="up at $server (already running, not started here; left running)"
    [ $want_server = no ] && server_state="UP at $server although --no-server was asked (not ours; left running)"
elif [ $want_server = yes ]; then
    if "$repo/scripts/serve" start --server "$server" >/dev/null && server_answers; then
        server_started=yes
        server_state="up at $server (started for this run with scripts/serve, stopped after)"
    else
        server_started=yes  # whatever of it did start goes again
        server_state="DOWN: scripts/serve could not start it at $server"
    fi
else
    server_state="down (--no-server)"
fi

# Milliseconds from CreateProcess to a visible window of each class, on one
# line; the last window is then closed and the program waited for.
measure() {  # measure CLASS[,CLASS...] EXE
    local out
    out=$(wine_run "$build/tests/tools/startwatch.exe" --close --timeout 60000 "$1" \
        "$("$repo/scripts/winpath" "$2")" 2>/dev/null | tr -d '\r') || true
    [[ $out =~ ^([0-9.]+|-)( ([0-9.]+|-))*$ && $out =~ [0-9]$ ]] ||
        { echo "startup.sh: no ${1##*,} window from $2" >&2; return 1; }
    echo "$out"
}

# Median, min and max of the numbers on standard input ("-" lines skipped).
stats() {
    grep -v '^-$' | sort -n | awk '{ v[NR] = $1 } END {
        if (NR == 0) { printf "%9s %9s %9s", "-", "-", "-"; exit }
        m = NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2
        printf "%9.1f %9.1f %9.1f", m, v[1], v[NR] }'
}

# The prefix is made on first use; that and the first loads of the DLLs
# belong to no start-up.
dovrane_classes=frmSplash,frmKestrow
measure MinimalWindow "$stage/minimal_window.exe" >/dev/null
measure ThemedWindow "$stage/themed_window.exe" >/dev/null
measure $dovrane_classes "$stage/Dovrane.exe" >/dev/null
measure $dovrane_classes "$stage/unmanaged/Dovrane-unmanaged.exe" >/dev/null
[ -z "$against" ] || measure $dovrane_classes "$stage/against/Dovrane.exe" >/dev/null

floor=() themed=() splash=() dovrane=() unmanaged_splash=() unmanaged=() other_splash=() other=()
for i in $(seq 1 "$runs"); do
    floor+=("$(measure MinimalWindow "$stage/minimal_window.exe")")
    themed+=("$(measure ThemedWindow "$stage/themed_window.exe")")
    read -r a b <<<"$(measure $dovrane_classes "$stage/Dovrane.exe")"
    splash+=("$a") dovrane+=("$b")
    read -r a b <<<"$(measure $dovrane_classes "$stage/unmanaged/Dovrane-unmanaged.exe")"
    unmanaged_splash+=("$a") unmanaged+=("$b")
    printf '  run %2d: minimal %7s  themed %7s  Dovrane %7s / %7s  unmanaged %7s / %7s ms\n' \
        "$i" "${floor[-1]}" "${themed[-1]}" "${splash[-1]}" "${dovrane[-1]}" \
        "${unmanaged_splash[-1]}" "${unmanaged[-1]}" >&2
    if [ -n "$against" ]; then
        read -r a b <<<"$(measure $dovrane_classes "$stage/against/Dovrane.exe")"
        other_splash+=("$a") other+=("$b")
        printf '  run %2d: other build %7s / %7s ms\n' "$i" "$a" "$b" >&2
    fi
done
banner=$(cd "$stage" && ls -p | grep -v -E '^(Dovrane|minimal_window|themed_window)\.exe$|/$' |
    tr '\n' ' ' || true)

median() { printf '%s\n' "$@" | stats | awk '{ print $1 }'; }
fm=$(median "${floor[@]}")
ft=$(median "${themed[@]}")
row() {  # row LABEL VALUES...: median, min, max and the ratio to each floor
    local label=$1 m
    shift
    m=$(median "$@")
    printf '  %-32s %s %8s %8s\n' "$label" "$(printf '%s\n' "$@" | stats)" \
        "$(awk -v a="$m" -v b="$fm" 'BEGIN { if (a == "-") print "-"; else printf "%.2f", a / b }')" \
        "$(awk -v a="$m" -v b="$ft" 'BEGIN { if (a == "-") print "-"; else printf "%.2f", a / b }')"
}
echo "Start-up under Wine (ms from the process's start), median of $runs runs each, turn about, one warm-up run each not counted"
echo "  $route_line"
echo "  $(wine --version), display ${DISPLAY}$([ -n "${DOVRANE_BENCH_XVFB:-}" ] && echo ' (private Xvfb)'), prefix $DOVRANE_WINEPREFIX"
echo "  maker's server: $server_state; banner file written: ${banner:-none}"
printf '  %-32s %9s %9s %9s %8s %8s\n' "window visible" median min max "/plain" "/themed"
row "floor: plain window" "${floor[@]}"
row "floor: themed window" "${themed[@]}"
row "Dovrane: splash" "${splash[@]}"
row "Dovrane: main window" "${dovrane[@]}"
row "Dovrane, unmanaged: splash" "${unmanaged_splash[@]}"
row "Dovrane, unmanaged: main window" "${unmanaged[@]}"
if [ -n "$against" ]; then
    row "other build: splash" "${other_splash[@]}"
    row "other build: main window" "${other[@]}"
    echo "  (other build: $against; this build over it: splash $(awk -v a="$(median "${splash[@]}")" \
        -v b="$(median "${other_splash[@]}")" 'BEGIN { printf "%.2f", a / b }'), main window $(awk \
        -v a="$(median "${dovrane[@]}")" -v b="$(median "${other[@]}")" 'BEGIN { printf "%.2f", a / b }'))"
fi
echo "  (/plain, /themed: the median over that floor's median. Unmanaged: Wine's X11 \"Managed\"=\"N\""
echo "   for that copy; with no window manager, Wine otherwise waits up to 2 s for one when a managed"
echo "   window is hidden)"
