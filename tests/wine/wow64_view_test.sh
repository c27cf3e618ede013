#!/usr/bin/env bash
# The 32-bit Dovrane.exe on 64-bit Windows changes what Windows reads: in a
# win64 prefix (Wine's WOW64), a profile that sets two settings under
# HKLM\SOFTWARE is imported by the 32-bit program, and the values are read
# back by the 64-bit registry tool from the 64-bit view, not from the
# Wow6432Node copy that 64-bit Windows never reads. Needs both of Wine's
# loaders, so it runs only where 32-bit programs start (the 32-bit route).
set -euo pipefail
: "${DOVRANE_EXE:?}" "${DOVRANE_SOURCE_DIR:?}"
scripts=$DOVRANE_SOURCE_DIR/scripts
if ! "$scripts/wine-route" --can-32 || [ ! -x /usr/lib/wine/wine64 ]; then
    echo "skipped: this machine cannot run a 32-bit program in a 64-bit prefix"
    exit 0
fi
if [ -z "${DISPLAY:-}" ]; then
    exec "$scripts/with-xvfb" bash "$0" "$@"
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/dovrane-wow64.XXXXXX")
prefix=$work/prefix
trap 'WINEPREFIX=$prefix wineserver -k >/dev/null 2>&1 || true; rm -rf "$work"' EXIT
export WINEPREFIX=$prefix WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml=
# wine64: the 64-bit loader, as the 64-bit route runs it; wine32: Debian's
# wrapper, whose 32-bit loader runs a 32-bit program in a win64 prefix as
# 64-bit Windows does, redirected registry and all.
wine64() { PATH=$scripts/wine64:$PATH timeout 120 wine "$@"; }
wine32() { timeout 120 /usr/bin/wine "$@"; }

wine64 wineboot -i >/dev/null 2>&1
wine64 reg add 'HKCU\Software\Wine' /v Version /d winxp /f >/dev/null
wineserver -w

cp "$DOVRANE_EXE" "$work/Dovrane.exe"
advanced='HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\CurrentVersion\Explorer\Advanced'
users='HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows NT\CurrentVersion\Winlogon\SpecialAccounts\UserList'
{ printf '\xff\xfe'; printf 'Windows Registry Editor Version 5.00\n\n[%s]\n"EncryptionContextMenu"=dword:00000001\n\n[%s]\n"Administrator"=dword:00000001\n' \
    "$advanced" "$users" | sed 's/$/\r/' | iconv -f UTF-8 -t UTF-16LE; } >"$work/profile.reg"

status=0
(cd "$work" && wine32 Dovrane.exe /import "$("$scripts/winpath" "$work/profile.reg")" /quiet) ||
    status=$?
wineserver -w
failed=0
check() {  # check WHAT COMMAND...
    local what=$1
    shift
    if "$@"; then echo "ok: $what"; else echo "FAILED: $what"; failed=$((failed + 1)); fi
}
holds() { wine64 reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' | grep -qi "$2.*0x1$"; }
check "the 32-bit import exits 0 (every setting holds)" [ "$status" -eq 0 ]
check "EncryptionContextMenu is in the 64-bit view" holds "$advanced" EncryptionContextMenu
check "Administrator is in the 64-bit view" holds "$users" Administrator
check "nothing went to Wow6432Node" bash -c "! PATH='$scripts/wine64':\$PATH wine reg query \
    'HKEY_LOCAL_MACHINE\\SOFTWARE\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Advanced' \
    /v EncryptionContextMenu >/dev/null 2>&1"
echo "$((4 - failed)) passed, $failed failed"
[ $failed -eq 0 ]
