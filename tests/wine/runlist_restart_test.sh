#!/usr/bin/env bash
# Yes to the Run List's restart question, for real. A restart request ends
# the session of every program in the Wine prefix, so this runs in a prefix
# of its own, made here and thrown away afterwards.
#
# 1. Another program is open and has nothing to save: Apply deletes the
#    unchecked entry, and after Yes both Dovrane and that program are closed
#    by the restart, and Wine's restart runs the RunOnce entries.
# 2. Another program still has unsaved work and refuses to let the session
#    end: it is asked, it is not ended, and the restart is called off.
set -euo pipefail
: "${DOVRANE_EXE:?}" "${DOVRANE_BUILD_DIR:?}" "${DOVRANE_SOURCE_DIR:?}" "${DOVRANE_WINE_RUN:?}"
if [ -z "${DISPLAY:-}" ]; then
    exec "$DOVRANE_SOURCE_DIR/scripts/with-xvfb" bash "$0" "$@"
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/dovrane-restart.XXXXXX")
prefix=$work/prefix
cleanup() {
    WINEPREFIX=$prefix wineserver -k >/dev/null 2>&1 || true
    rm -rf "$work"
}
trap cleanup EXIT

run() { "$DOVRANE_WINE_RUN" --prefix "$prefix" "$@"; }
winpath() { "$DOVRANE_SOURCE_DIR/scripts/winpath" "$1"; }
driver=$DOVRANE_BUILD_DIR/tests/tools/runlist_restart_driver.exe
bystander=$DOVRANE_BUILD_DIR/tests/tools/minimal_window.exe
runmru='HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\RunMRU'
check_key='HKCU\Software\DovraneRestartCheck'

mkdir -p "$work/app"
cp "$DOVRANE_EXE" "$work/app/Dovrane.exe"
program=$(winpath "$work/app/Dovrane.exe")

passed=0
failed=0
check() {
    local what=$1
    shift
    if "$@"; then
        passed=$((passed + 1))
        echo "ok: $what"
    else
        failed=$((failed + 1))
        echo "FAILED: $what"
    fi
}
# The data of a value as reg query prints it; nothing when it is missing.
value() {
    run reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' |
        sed -n "s/^ *$2 *REG_SZ *//p" || true
}
has() { run reg query "$1" /v "$2" >/dev/null 2>&1; }
lacks() { ! has "$@"; }
equals() { [ "$(value "$1" "$2")" = "$3" ]; }
says() { grep -qx "$2" <<<"$1"; }
# Windows programs end their lines with CR LF.
noted() { tr -d '\r' <"$1" | grep -qx "$2"; }

echo "making a Wine prefix in $prefix"
# A copy of the prefix the tests run in, where there is one, is quicker and
# steadier than a new one: making a prefix starts all of Wine's first boot.
if [ -f "${DOVRANE_WINEPREFIX:-}/system.reg" ]; then cp -a "$DOVRANE_WINEPREFIX" "$prefix"; fi
run reg add "$runmru" /v a /d 'notepad\1' /f >/dev/null
run reg add "$runmru" /v b /d 'calc\1' /f >/dev/null
run reg add "$runmru" /v c /d 'mspaint\1' /f >/dev/null
run reg add "$runmru" /v MRUList /d cba /f >/dev/null

echo "-- Yes, with another program open that has nothing to save"
out=$(run "$driver" restart "$program" calc first 30000 "$(winpath "$bystander")" | tr -d '\r') || {
    echo "$out"
    echo "the driver could not answer the question"
    exit 1
}
echo "$out"
check "Dovrane was closed by the restart" says "$out" "program: ended 0"
check "the other program was closed too" says "$out" "bystander: ended 0"
check "Wine's restart ran the RunOnce entries" equals "$check_key" first 1
check "the unchecked entry is gone" lacks "$runmru" b
check "the checked entries stay" equals "$runmru" a 'notepad\1'
check "the checked entries stay" equals "$runmru" c 'mspaint\1'
check "MRUList is untouched" equals "$runmru" MRUList cba

echo "-- Yes, with another program open that has unsaved work"
marker=$work/unsaved.txt
out=$(run "$driver" restart "$program" notepad second 10000 \
    "$(winpath "$driver")" unsaved "$(winpath "$marker")" | tr -d '\r') || {
    echo "$out"
    echo "the driver could not answer the question"
    exit 1
}
echo "$out"
check "the program with unsaved work was asked" noted "$marker" asked
check "the program with unsaved work was not ended" says "$out" "bystander: running"
check "the restart was called off" lacks "$check_key" second
check "the unchecked entry is gone all the same" lacks "$runmru" a
check "the checked entry stays" equals "$runmru" c 'mspaint\1'

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
