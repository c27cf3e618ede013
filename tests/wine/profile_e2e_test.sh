#!/usr/bin/env bash
# Settings profiles from one machine to others, for real. Each machine is a
# Wine prefix of its own, made once here and copied, thrown away afterwards:
#
# 1. source: the seven boxes a profile carries are clicked, then
#    `Dovrane.exe /export FILE /quiet` writes the profile (a path with spaces
#    and letters of no ANSI code page; the confirmation a run without /quiet
#    shows is file_menu_test's).
# 2. import: a fresh machine takes it with `Dovrane.exe /import FILE /quiet`;
#    regedit: another fresh machine takes it with `regedit /s FILE`. Both
#    read the same as the source, and the import left its backup.
# 3. The import's backup, imported by `regedit /s` (a double-click), leaves
#    a value added later in the key Dovrane made; a REGEDIT4 file in ANSI
#    is imported, a UTF-8 one refused with what to do.
# 4. A file with a foreign key (answered in its message box) or a syntax
#    error (/quiet) is refused whole: status 12, nothing changed. With a
#    file named Dovrane where the backups would go, status 11 and nothing
#    changed. Any profile on a Windows other than XP: status 13.
set -euo pipefail
: "${DOVRANE_EXE:?}" "${DOVRANE_BUILD_DIR:?}" "${DOVRANE_SOURCE_DIR:?}" "${DOVRANE_WINE_RUN:?}"
if [ -z "${DISPLAY:-}" ]; then
    exec "$DOVRANE_SOURCE_DIR/scripts/with-xvfb" bash "$0" "$@"
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/dovrane-profile.XXXXXX")
machines=(source import regedit)
cleanup() {
    for m in fresh "${machines[@]}"; do
        if [ -d "$work/$m" ]; then WINEPREFIX=$work/$m wineserver -k >/dev/null 2>&1 || true; fi
    done
    rm -rf "$work"
}
trap cleanup EXIT

# on MACHINE PROGRAM ARGS...: run in that machine's prefix. A box nobody
# answers (one under /quiet, say) fails the check instead of the test's time.
on() {
    local m=$1
    shift
    timeout 120 "$DOVRANE_WINE_RUN" --prefix "$work/$m" "$@"
}
winpath() { "$DOVRANE_SOURCE_DIR/scripts/winpath" "$1"; }
driver=$(winpath "$DOVRANE_BUILD_DIR/tests/tools/profile_driver.exe")
state() { on "$1" "$driver" read | tr -d '\r'; }

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
same() { [ "$1" = "$2" ]; }
# No line of one state equals the same line of the other.
differs_everywhere() { [ -z "$(comm -12 <(sort <<<"$1") <(sort <<<"$2"))" ]; }
# A registration file as the registry editor writes it: UTF-16LE, BOM, CR LF.
regfile() {
    { printf '\xff\xfe'; printf 'Windows Registry Editor Version 5.00\n\n%s' "$2" |
        sed 's/$/\r/' | iconv -f UTF-8 -t UTF-16LE; } >"$1"
}

mkdir -p "$work/app" "$work/room profiles"
cp "$DOVRANE_EXE" "$work/app/Dovrane.exe"
program=$(winpath "$work/app/Dovrane.exe")
profile_unix="$work/room profiles/room 12 Ωμ.reg"  # outside any ANSI code page
profile=$(winpath "$profile_unix")

start=$(date +%s)
echo "making a Wine prefix"
# A copy of the prefix the tests run in, where there is one, is quicker and
# steadier than a new one: making a prefix starts all of Wine's first boot.
if [ -f "${DOVRANE_WINEPREFIX:-}/system.reg" ]; then cp -a "$DOVRANE_WINEPREFIX" "$work/fresh"; fi
on fresh reg query 'HKCU\Software\Wine' /v Version >/dev/null
WINEPREFIX=$work/fresh wineserver -w
for m in "${machines[@]}"; do cp -a "$work/fresh" "$work/$m"; done
fresh=$(state fresh)
echo "prefixes ready after $(($(date +%s) - start)) s"

echo "-- export from a machine set by clicks"
on source "$driver" click "$program"
source_state=$(state source)
echo "$source_state"
check "the clicks changed every setting a profile carries" differs_everywhere "$fresh" "$source_state"
status=0
on source "$program" /export "$profile" /quiet || status=$?
check "/export exits 0" same "$status" 0
mkdir "$work/room profiles/taken.reg"  # a folder: the file cannot go there
status=0
on source "$program" /export "$(winpath "$work/room profiles/taken.reg")" /quiet || status=$?
check "/export that cannot be written: status 11" same "$status" 11
rmdir "$work/room profiles/taken.reg"
check "/export leaves only the profile in its folder" \
    same "$(ls "$work/room profiles")" "$(basename "$profile_unix")"
echo "--- the exported profile:"
iconv -f UTF-16 -t UTF-8 "$profile_unix" | tr -d '\r'
echo "---"
check "the profile starts as the registry editor's files do" \
    same "$(head -c 2 "$profile_unix" | od -An -tx1 | tr -d ' ')" fffe
check "the profile says why the current account is not in it" \
    grep -q "current account" <(iconv -f UTF-16 -t UTF-8 "$profile_unix")

echo "-- import into fresh machines"
status=0
on import "$program" /import "$profile" /quiet || status=$?
check "/import exits 0: every setting held" same "$status" 0
check "/import: the machine reads as the source" same "$(state import)" "$source_state"
backups=$(find "$work/import/drive_c/users" -path '*/Dovrane/Backups/Dovrane *.reg' | wc -l)
check "/import left one backup file" same "$backups" 1
status=0
on regedit regedit /s "$profile" || status=$?
check "regedit /s exits 0" same "$status" 0
check "regedit /s: the machine reads as the source" same "$(state regedit)" "$source_state"

echo "-- refused files change nothing"
low='[HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Policies\Explorer]'
foreign="$work/room profiles/foreign.reg"
regfile "$foreign" "$low
\"NoLowDiskSpaceChecks\"=dword:00000000

[HKEY_LOCAL_MACHINE\\SOFTWARE\\Dovrane Test]
\"x\"=dword:00000001
"
out=$(on import "$driver" box "$program" /import "$(winpath "$foreign")" | tr -d '\r') || true
echo "$out"
check "a foreign key: refused with its line" grep -q '^box: .*was not imported.*Line 6: ' <<<"$out"
check "a foreign key: status 12" grep -qx 'exit: 12' <<<"$out"
folder="$work/room profiles/a folder.reg"
mkdir "$folder"
out=$(on import "$driver" box "$program" /import "$(winpath "$folder")" | tr -d '\r') || true
rmdir "$folder"
check "a folder: named as one, status 11" \
    grep -q '^box: .*a folder.reg is a folder, not a file' <<<"$out"
check "a folder: status 11" grep -qx 'exit: 11' <<<"$out"
broken="$work/room profiles/broken.reg"
regfile "$broken" "$low
\"NoLowDiskSpaceChecks\"=dword:00000000
\"NoLowDiskSpaceChecks\"=dword:zz
"
status=0
on import "$program" /import "$(winpath "$broken")" /quiet || status=$?
check "a syntax error: status 12 without a box" same "$status" 12
check "the refused files changed nothing" same "$(state import)" "$source_state"
check "the foreign key was not made" \
    bash -c "! '$DOVRANE_WINE_RUN' --prefix '$work/import' reg query 'HKLM\\SOFTWARE\\Dovrane Test' >/dev/null 2>&1"
status=0
on import "$program" /frobnicate /quiet || status=$?
check "an unknown switch: status 10" same "$status" 10

echo "-- a backup double-clicked removes no key"
# The import made SpecialAccounts\UserList for the administrator's value; an
# account hidden there afterwards survives the registry editor's import of
# the backup, which deletes only the value Dovrane set.
user_list='HKLM\SOFTWARE\Microsoft\Windows NT\CurrentVersion\Winlogon\SpecialAccounts\UserList'
backup_unix=$(find "$work/import/drive_c/users" -path '*/Dovrane/Backups/Dovrane *.reg' | head -n 1)
check "the backup removes no key" \
    bash -c "! iconv -f UTF-16 -t UTF-8 '$backup_unix' | grep -q '^\[-'"
on import reg add "$user_list" /v Hidden /t REG_DWORD /d 0 /f >/dev/null
status=0
on import regedit /s "$(winpath "$backup_unix")" || status=$?
check "regedit /s of the backup exits 0" same "$status" 0
check "the value added later is still there" on import reg query "$user_list" /v Hidden
check "the value Dovrane set is gone" \
    bash -c "! '$DOVRANE_WINE_RUN' --prefix '$work/import' reg query '$user_list' /v Administrator >/dev/null 2>&1"

echo "-- a REGEDIT4 file, as Notepad saves it in ANSI"
notepad="$work/room profiles/notepad.reg"
printf 'REGEDIT4\r\n\r\n%s\r\n"NoLowDiskSpaceChecks"=dword:00000000\r\n' "$low" >"$notepad"
status=0
on import "$program" /import "$(winpath "$notepad")" /quiet || status=$?
check "REGEDIT4: /import exits 0" same "$status" 0
check "REGEDIT4: the value is set" grep -qi 'NoLowDiskSpaceChecks.*0x0$' \
    <(on import reg query 'HKCU\Software\Microsoft\Windows\CurrentVersion\Policies\Explorer' \
        /v NoLowDiskSpaceChecks | tr -d '\r')
printf '\xef\xbb\xbfWindows Registry Editor Version 5.00\r\n' >"$notepad"  # Notepad's UTF-8
out=$(on import "$driver" box "$program" /import "$(winpath "$notepad")" | tr -d '\r') || true
echo "$out"
check "UTF-8: refused with what to do" grep -q 'Save it in Notepad with the encoding Unicode' <<<"$out"

echo "-- no backup, no change"
# A file named Dovrane where the backups' folder would go in Application Data.
appdata=$(find "$work/import/drive_c/users" -type d -path '*/Dovrane/Backups' | head -n 1)
appdata=${appdata%/Dovrane/Backups}
blocked=$work/fresh${appdata#"$work/import"}
mkdir -p "$blocked"
: >"$blocked/Dovrane"
plain="$work/room profiles/plain.reg"  # the driver passes an ANSI command line
cp "$profile_unix" "$plain"
out=$(on fresh "$driver" box "$program" /import "$(winpath "$plain")" | tr -d '\r') || true
echo "$out"
check "no backup: status 11" grep -qx 'exit: 11' <<<"$out"
check "no backup: the box says so" grep -q '^box: .*backup file could not be made' <<<"$out"
check "no backup: nothing changed" same "$(state fresh)" "$fresh"
rm "$blocked/Dovrane"

echo "-- a Windows other than XP takes no profile"
on fresh reg add 'HKCU\Software\Wine\AppDefaults\Dovrane.exe' /v Version /d win7 /f >/dev/null
status=0
on fresh "$program" /import "$profile" /quiet || status=$?
check "not Windows XP: status 13 without a box" same "$status" 13
check "not Windows XP: nothing changed" same "$(state fresh)" "$fresh"

echo "took $(($(date +%s) - start)) s; $passed passed, $failed failed"
[ "$failed" -eq 0 ]
