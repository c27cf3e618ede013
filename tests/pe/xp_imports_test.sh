#!/usr/bin/env bash
# Dovrane.exe must start on Windows XP SP3: it may import only from the DLLs
# XP ships, no function that XP lacks (post_xp_apis.txt beside this script),
# must not ask for a system newer than 5.1, must be a GUI program, and must
# carry its C++ runtime inside (no libstdc++/libgcc/winpthread DLL to ship).
# The DLLs it loads on first use (app/runtime/delayload/*.def) obey the same rules,
# and none of them may be in the import table as well: a function missing
# from its list would bring its DLL back to the start.
#   xp_imports_test.sh EXE [LIST.def...]
#                               check EXE, and the lists it loads on first use
#   xp_imports_test.sh --self   build small programs that break each rule and
#                               make sure the check refuses every one of them
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
objdump=${OBJDUMP:-i686-w64-mingw32-objdump}
denylist=$here/post_xp_apis.txt

# The DLLs of Windows XP SP3 the program may use.
allowed_dlls=" kernel32.dll user32.dll gdi32.dll advapi32.dll shell32.dll comctl32.dll comdlg32.dll
 ole32.dll oleaut32.dll wininet.dll msvcrt.dll "
# One space between names, line breaks included, so that every name matches
# as " name " (the last of a line would not).
allowed_dlls=" $(echo $allowed_dlls) "

# Prints one line per problem; returns 1 when there is any.
check() {
    local exe=$1 dump problems=() dll name list
    shift
    dump=$("$objdump" -p "$exe") || { echo "$exe: objdump cannot read it"; return 1; }

    field() { awk -v k="$1" '$1 == k { print $2; exit }' <<<"$dump"; }
    local os_major os_minor sub_major sub_minor subsystem
    os_major=$(field MajorOSystemVersion)
    os_minor=$(field MinorOSystemVersion)
    sub_major=$(field MajorSubsystemVersion)
    sub_minor=$(field MinorSubsystemVersion)
    subsystem=$(awk '$1 == "Subsystem" { print $2; exit }' <<<"$dump")
    for v in os_major os_minor sub_major sub_minor subsystem; do
        [ -n "${!v}" ] || { echo "$exe: no $v in the PE header (is it a PE image?)"; return 1; }
    done
    # Versions are decimal in objdump's output. A 64-bit program (PE32+) is
    # for Windows XP Professional x64 Edition, NT 5.2, and asks for exactly
    # that; a 32-bit one for Windows XP, 5.1 at most.
    local newest=501 shown=5.1
    if [[ $(awk '$1 == "Magic" { print $2; exit }' <<<"$dump") == 020b ]]; then
        newest=502 shown=5.2
        ((os_major * 100 + os_minor == 502)) ||
            problems+=("a 64-bit program that requires OS version $os_major.$os_minor, not 5.2")
        ((sub_major * 100 + sub_minor == 502)) ||
            problems+=("a 64-bit program that requires subsystem version $sub_major.$sub_minor, not 5.2")
    fi
    if ((os_major * 100 + os_minor > newest)); then
        problems+=("requires OS version $os_major.$os_minor, above $shown")
    fi
    if ((sub_major * 100 + sub_minor > newest)); then
        problems+=("requires subsystem version $sub_major.$sub_minor, above $shown")
    fi
    # 2 is IMAGE_SUBSYSTEM_WINDOWS_GUI; a console program opens a console window.
    [ "$((16#$subsystem))" = 2 ] || problems+=("subsystem $subsystem is not Windows GUI (2)")

    # "DLL Name: X" opens a DLL's list; its functions follow as
    # "<tab>vma  hint  name" lines (by-ordinal imports have no name).
    local imports
    imports=$(awk '
        /^\tDLL Name: / { dll = tolower($3); print dll " -"; next }
        dll != "" && /^\t[0-9a-f]+\t/ { print dll " " ($3 == "" ? "<ordinal " $2 ">" : $3); next }
        /^$/ { dll = "" }
    ' <<<"$dump")
    [ -n "$imports" ] || { echo "$exe: no import table found"; return 1; }
    # A list: "LIBRARY name.dll", "EXPORTS", then one decorated name a line.
    local delayed=""
    for list in "$@"; do
        dll=$(awk 'tolower($1) == "library" { print tolower($2); exit }' "$list")
        [ -n "$dll" ] || { echo "$list: no LIBRARY line"; return 1; }
        delayed+=" $dll"
        imports+=$'\n'"$dll -"$'\n'"$(awk -v d="$dll" 'NF && tolower($1) != "library" &&
            $1 != "EXPORTS" { sub(/@[0-9]+$/, "", $1); print d " " $1 }' "$list")"
        if grep -qx "$dll -" <<<"$(awk '
            /^\tDLL Name: / { print tolower($3) " -" }' <<<"$dump")"; then
            problems+=("imports $dll at start although it is loaded on first use: add what it calls to $list")
        fi
    done

    local patterns=()
    local word
    while read -r word _; do
        [[ -z $word || $word == \#* ]] || patterns+=("$word")
    done <"$denylist"
    ((${#patterns[@]} > 0)) || { echo "$denylist: empty"; return 1; }

    local seen_version=no
    while read -r dll name; do
        if [ "$name" = - ]; then
            case $dll in
                libstdc++*|libgcc*|libwinpthread*)
                    problems+=("imports the runtime DLL $dll: link it statically") ;;
                *)
                    [[ $allowed_dlls == *" $dll "* ]] ||
                        problems+=("imports $dll, which is not one of the XP system DLLs allowed") ;;
            esac
            continue
        fi
        [ "$dll $name" = "kernel32.dll GetVersionExA" ] && seen_version=yes
        for p in "${patterns[@]}"; do
            # shellcheck disable=SC2053  # the list holds patterns
            if [[ $name == $p ]]; then
                problems+=("imports $dll!$name, which Windows XP SP3 lacks")
                break
            fi
        done
    done <<<"$imports"
    # The OS gate's own call: if it is not seen, the table was misread.
    if [ $seen_version = no ]; then
        problems+=("kernel32.dll!GetVersionExA not found among the imports: the import table was misread")
    fi

    ((${#problems[@]} == 0)) && return 0
    for p in "${problems[@]}"; do echo "$exe: $p"; done
    return 1
}

# Each rule broken on purpose, in a program small enough to build in a second.
self_test() {
    local tmp cc cxx fails=0
    tmp=$(mktemp -d)
    trap 'rm -rf "$tmp"' RETURN
    cc=${CC_MINGW:-i686-w64-mingw32-gcc-posix}
    cxx=${CXX_MINGW:-i686-w64-mingw32-g++-posix}
    cat >"$tmp/gate.c" <<'EOF'
#include <winsock2.h>
#include <windows.h>
int WINAPI WinMain(HINSTANCE a, HINSTANCE b, LPSTR c, int d) {
    OSVERSIONINFOA v = {sizeof v};
    (void)a; (void)b; (void)c; (void)d;
    return GetVersionExA(&v) ? 0 : 1;
}
EOF
    sed 's/return GetVersionExA/SRWLOCK l = SRWLOCK_INIT; AcquireSRWLockExclusive(\&l); return GetVersionExA/' \
        "$tmp/gate.c" >"$tmp/srw.c"
    sed 's/return GetVersionExA/if (GetTickCount64() == 0) return 2; return GetVersionExA/' \
        "$tmp/gate.c" >"$tmp/tick.c"
    cat >"$tmp/cxx.cpp" <<'EOF'
#include <windows.h>
#include <string>
int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR c, int) {
    OSVERSIONINFOA v = {sizeof v, 0, 0, 0, 0, {0}};
    std::string s(c);
    return GetVersionExA(&v) ? static_cast<int>(s.size()) : 1;
}
EOF
    local win=(-D_WIN32_WINNT=0x0600 -mwindows -static)
    "$cc" "${win[@]}" -o "$tmp/good.exe" "$tmp/gate.c"
    "$cc" "${win[@]}" -o "$tmp/srw.exe" "$tmp/srw.c"
    "$cc" "${win[@]}" -o "$tmp/tick.exe" "$tmp/tick.c"
    "$cc" -mconsole -static -o "$tmp/console.exe" "$tmp/gate.c"
    "$cc" "${win[@]}" -Wl,--major-os-version,6,--minor-os-version,0 -o "$tmp/vista.exe" "$tmp/gate.c"
    "$cc" "${win[@]}" -Wl,--major-subsystem-version,6,--minor-subsystem-version,1 \
        -o "$tmp/subsys.exe" "$tmp/gate.c"
    sed 's/return GetVersionExA/WSADATA w; WSAStartup(0x202, \&w); return GetVersionExA/' \
        "$tmp/gate.c" >"$tmp/sock.c"
    "$cc" "${win[@]}" -o "$tmp/sock.exe" "$tmp/sock.c" -lws2_32
    "$cxx" -mwindows -o "$tmp/dynamic.exe" "$tmp/cxx.cpp"

    # Lists of what a program loads on first use.
    printf 'LIBRARY shell32.dll\nEXPORTS\nShellExecuteA@24\n' >"$tmp/shell32.def"
    printf 'LIBRARY ws2_32.dll\nEXPORTS\nWSAStartup@8\n' >"$tmp/ws2_32.def"
    printf 'LIBRARY shell32.dll\nEXPORTS\nSHGetKnownFolderPath@16\n' >"$tmp/known.def"
    sed 's/return GetVersionExA/ShellExecuteA(0, 0, c, 0, 0, 0); return GetVersionExA/' \
        "$tmp/gate.c" >"$tmp/shell.c"
    "$cc" "${win[@]}" -o "$tmp/shell.exe" "$tmp/shell.c"

    expect() {  # expect pass|fail EXE TEXT [LIST...]
        local want=$1 exe=$2 text=${3:-} out
        shift $(($# < 3 ? $# : 3))
        if out=$(check "$exe" "$@"); then
            [ "$want" = pass ] && return 0
            echo "self-test: $(basename "$exe") passed the check, but must not"
        else
            if [ "$want" = fail ] && [[ $out == *"$text"* ]]; then return 0; fi
            echo "self-test: $(basename "$exe"): expected $want${text:+ with \"$text\"}, got:"
            echo "$out"
        fi
        fails=$((fails + 1))
    }
    expect pass "$tmp/good.exe"
    expect fail "$tmp/srw.exe" "AcquireSRWLockExclusive, which Windows XP SP3 lacks"
    expect fail "$tmp/tick.exe" "GetTickCount64, which Windows XP SP3 lacks"
    expect fail "$tmp/console.exe" "is not Windows GUI"
    expect fail "$tmp/vista.exe" "requires OS version 6.0"
    expect fail "$tmp/subsys.exe" "requires subsystem version 6.1"
    expect fail "$tmp/dynamic.exe" "imports the runtime DLL libstdc++"
    expect fail "$tmp/sock.exe" "imports ws2_32.dll"
    expect pass "$tmp/good.exe" "" "$tmp/shell32.def"
    expect fail "$tmp/good.exe" "imports ws2_32.dll" "$tmp/ws2_32.def"
    expect fail "$tmp/good.exe" "SHGetKnownFolderPath, which Windows XP SP3 lacks" "$tmp/known.def"
    expect fail "$tmp/shell.exe" "imports shell32.dll at start although" "$tmp/shell32.def"
    ((fails == 0)) && echo "self-test: the check refuses every broken program"
    return $((fails > 0))
}

case "${1:-}" in
    --self) self_test ;;
    "") echo "usage: xp_imports_test.sh EXE | --self" >&2; exit 2 ;;
    *)
        check "$@"
        echo "$1: imports only what Windows XP SP3 has${2:+ (at start or on first use)}; GUI; runtime linked in"
        ;;
esac
