#!/usr/bin/env bash
# Makes a release with scripts/release and puts the installer of this build's
# width through a throw-away Wine prefix (Windows XP): a silent install, the
# files, shortcuts and uninstall entry it leaves, the installed program
# passing the OS gate, and a silent uninstall that takes away all it installed
# (with the banner images the program listed and Windows Help's index) and
# never a file of the user's. The 64-bit build's test takes the x64 installer
# in a win64 prefix: into the 64-bit Program Files, registered in the 64-bit
# registry view. The shared prefix is not touched.
set -uo pipefail
: "${DOVRANE_BUILD_DIR:?}" "${DOVRANE_SOURCE_DIR:?}" "${DOVRANE_WINE_RUN:?}"

# One display for everything: the uninstaller goes on in a copy of itself
# after the program we started has ended.
if [ -z "${DISPLAY:-}" ]; then
    exec "$DOVRANE_SOURCE_DIR/scripts/with-xvfb" bash "$0" "$@"
fi

work=$(mktemp -d)
prefix=$work/prefix
cleanup() {
    WINEPREFIX=$prefix wineserver -k >/dev/null 2>&1
    rm -rf "$work"
}
trap cleanup EXIT

failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}
wine_run() { "$DOVRANE_WINE_RUN" --prefix "$prefix" "$@"; }
# Waits until every program in the prefix has ended.
settle() { WINEPREFIX=$prefix timeout 120 wineserver -w; }

arch=${DOVRANE_WINE_ARCH:-$("$DOVRANE_SOURCE_DIR/scripts/wine-route")}

# -- The release ------------------------------------------------------------
out=$DOVRANE_BUILD_DIR/release
# The help file and the template come from the host preset's build when the
# test command has made it (a whole second host build costs a minute).
host_build=$DOVRANE_SOURCE_DIR/build/host
[ -f "$host_build/build.ninja" ] || host_build=$DOVRANE_BUILD_DIR/release-host
# The release holds both programs. The other width's comes from its preset's
# build when the test command has made it for the same server; the release
# would configure that folder anew for another one, and its own tests would
# then reach the wrong server.
server=$(sed -n 's/^DOVRANE_SERVER:STRING=//p' "$DOVRANE_BUILD_DIR/CMakeCache.txt")
other_build() {  # other_build PRESET
    local dir=$DOVRANE_SOURCE_DIR/build/$1
    if [ -f "$dir/build.ninja" ] && grep -qxF "DOVRANE_SERVER:STRING=$server" "$dir/CMakeCache.txt"; then
        echo "$dir"
    else
        echo "$DOVRANE_BUILD_DIR/release-$1"
    fi
}
if [ "$arch" = 64 ]; then
    builds=(--windows-build "$(other_build windows)" --windows64-build "$DOVRANE_BUILD_DIR")
else
    builds=(--windows-build "$DOVRANE_BUILD_DIR" --windows64-build "$(other_build windows64)")
fi
if ! CMAKE_BUILD_PARALLEL_LEVEL=${CMAKE_BUILD_PARALLEL_LEVEL:-2} \
    "$DOVRANE_SOURCE_DIR/scripts/release" --test-build --server "$server" "${builds[@]}" \
    --host-build "$host_build" --out "$out" >"$work/release.log" 2>&1; then
    cat "$work/release.log" >&2
    echo "FAIL: scripts/release did not make a release" >&2
    exit 1
fi
version=$(sed -n 's/^Release \(.*\) in .*/\1/p' "$work/release.log")
stage=$out/Dovrane-$version
setup32=$out/Dovrane-$version-setup.exe
setup64=$out/Dovrane-$version-x64-setup.exe
[ -n "$version" ] && [ -f "$setup32" ] && [ -f "$setup64" ] && [ -f "$out/Dovrane-$version.zip" ] ||
    { cat "$work/release.log" >&2; echo "FAIL: release files missing" >&2; exit 1; }
shipped="Dovrane.exe DOVRANE.HLP Dovrane.adm README.txt"

listed=$(unzip -Z1 "$out/Dovrane-$version.zip" | grep -v '/$' | sort | tr '\n' ' ')
expected=$(for f in $shipped x64/Dovrane.exe x64/DOVRANE.HLP; do echo "Dovrane-$version/$f"; done |
    sort | tr '\n' ' ')
[ "$listed" = "$expected" ] || fail "the zip holds '$listed', not '$expected'"

# Each program and installer is built for its processor (the machine field of
# its PE header): a 32-bit Windows cannot start an x64 one at all.
machine() {
    local pe
    pe=$(od -An -tu4 -j60 -N4 "$1" | tr -d ' ')
    od -An -tx2 -j$((pe + 4)) -N2 "$1" | tr -d ' '
}
for pair in "Dovrane-$version/Dovrane.exe 014c" "Dovrane-$version/x64/Dovrane.exe 8664" \
    "$(basename "$setup32") 014c" "$(basename "$setup64") 8664"; do
    set -- $pair
    [ "$(machine "$out/$1")" = "$2" ] || fail "$1 is for machine $(machine "$out/$1"), not $2"
done

# What this route installs: the program of its width and its own help file,
# the template and the read-me shared by both.
if [ "$arch" = 64 ]; then
    setup=$setup64 bin=$stage/x64 title="Dovrane (x64)" view=/reg:64 other_view=/reg:32
else
    setup=$setup32 bin=$stage title=Dovrane view= other_view=
fi
shipped_file() {  # the staged file installed as NAME
    case "$1" in
        Dovrane.exe | DOVRANE.HLP) echo "$bin/$1" ;;
        *) echo "$stage/$1" ;;
    esac
}

drive_c=$prefix/drive_c
instdir=$drive_c/Program\ Files/Dovrane
wininst='C:\Program Files\Dovrane'
key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Dovrane'

# Everything under C:\ but Windows' own folders, which Wine itself keeps
# changing, and the temporary folders.
snapshot() {
    (cd "$drive_c" && find . -path ./windows -prune -o -ipath '*/temp' -prune -o -print | sort)
}
start_menu_folder() {
    find "$drive_c" -path "$drive_c/windows" -prune -o -type d -path '*/Start Menu/Programs/Dovrane' -print
}
reg_value() {  # NAME [VIEW]: the data of one value of the uninstall entry
    # shellcheck disable=SC2086  # no view on the 32-bit route
    wine_run reg query "$key" /v "$1" ${2-$view} 2>/dev/null | tr -d '\r' |
        sed -n "s/^ *$1 *REG_[A-Z_]* *//p"
}
install() {
    wine_run "$setup" /S "$@"
}
uninstall() {
    # Run as Add or Remove Programs does: the uninstaller copies itself to the
    # temporary folder and goes on from there, so that it can delete itself
    # and the folder; wait for that copy too.
    wine_run "$wininst\\Uninstall.exe" /S
    settle
}

# A copy of the prefix the tests run in, where there is one, is quicker and
# steadier than a new one: making a prefix starts all of Wine's first boot.
if [ -f "${DOVRANE_WINEPREFIX:-}/system.reg" ]; then cp -a "$DOVRANE_WINEPREFIX" "$prefix"; fi
wine_run cmd /c exit 0 # creates the prefix
settle
before=$(snapshot)

# -- Install ------------------------------------------------------------------
install || fail "the silent install failed"
settle
for f in $shipped; do
    cmp -s "$(shipped_file "$f")" "$instdir/$f" || fail "$f is not installed as shipped"
done
[ -f "$instdir/Uninstall.exe" ] || fail "no uninstaller"
if [ "$arch" = 64 ]; then
    [ ! -e "$drive_c/Program Files (x86)/Dovrane" ] || fail "the x64 installer wrote into the 32-bit Program Files"
    [ -z "$(reg_value DisplayName $other_view)" ] || fail "the x64 installer registered itself in the 32-bit view"
fi

menu=$(start_menu_folder)
if [ -z "$menu" ]; then
    fail "no Start menu folder Dovrane"
else
    # The shortcut names its target's full path.
    grep -qa 'Program Files\\Dovrane\\Dovrane.exe' "$menu/Dovrane.lnk" ||
        fail "the Start menu shortcut does not start the installed Dovrane.exe"
    grep -qa 'Program Files\\Dovrane\\DOVRANE.HLP' "$menu/Dovrane Help.lnk" ||
        fail "the help shortcut does not open the installed help file"
fi

declare -A want=(
    [DisplayName]=$title
    [DisplayVersion]=$version
    [Publisher]=Ostrabend
    [UninstallString]="\"$wininst\\Uninstall.exe\""
    [InstallLocation]=$wininst
    [DisplayIcon]="$wininst\\Dovrane.exe,0"
    [NoModify]=0x1
    [NoRepair]=0x1
)
for name in "${!want[@]}"; do
    got=$(reg_value "$name")
    [ "$got" = "${want[$name]}" ] || fail "uninstall entry $name is '$got', not '${want[$name]}'"
done

# -- The installed program passes the OS gate --------------------------------
wine_run "$DOVRANE_BUILD_DIR/tests/tools/startwatch.exe" --close --timeout 60000 frmKestrow \
    "$wininst\\Dovrane.exe" >/dev/null ||
    fail "the installed Dovrane.exe did not open its main window"
settle

# What the program leaves beside the installed files: banner images, each
# named in its list before it is written, and Windows Help's index.
list_banners() { printf '%s\r\n' "$@" >>"$instdir/Dovrane-banners.txt"; }
leave_banners() {
    for f in "$@"; do echo "left by the program" >"$instdir/$f"; done
    list_banners "$@"
}
ls_instdir() { ls -A "$instdir" 2>/dev/null | sort | tr '\n' ' '; }

# -- Uninstall: everything goes, the folder with it ---------------------------
leave_banners banner.gif ad.JPG ad.jpeg ad.bmp
echo "index" >"$instdir/DOVRANE.GID"
uninstall
[ ! -e "$instdir" ] || fail "the folder stays after uninstall: $(ls_instdir)"
[ -z "$(start_menu_folder)" ] || fail "the Start menu folder stays after uninstall"
[ -z "$(reg_value DisplayName)" ] || fail "the uninstall entry stays after uninstall"
diff <(echo "$before") <(snapshot) >"$work/diff" ||
    fail "uninstall leaves C:\\ changed: $(cat "$work/diff")"

# -- The user's pictures stay ---------------------------------------------------
# Install over an install; the user keeps pictures in the folder, one of them
# with an image extension and one whose short name has it (photo.jpgx is
# PHOTO~xx.JPG, which *.jpg matches). The program's list names one banner, and
# lines no banner name can be: they must not reach a file. Nor may the tail of
# a line longer than the uninstaller reads at once.
install && install || fail "installing over an installed Dovrane failed"
settle
[ -f "$instdir/Dovrane.exe" ] || fail "the reinstall left no Dovrane.exe"
echo "mine" >"$instdir/photo.jpg"
echo "mine" >"$instdir/photo.jpgx"
echo "mine" >"$instdir/holiday.gif"
echo "mine" >"$drive_c/Program Files/outside.gif"
leave_banners banner.gif
list_banners '*.jpg' '..\outside.gif' 'photo.jpg:x.gif'
# NSIS reads 1,023 characters at a time: one of these splits before the name.
for n in 1022 1023 1024; do list_banners "$(head -c $n /dev/zero | tr '\0' a)holiday.gif"; done
uninstall
[ "$(ls_instdir)" = "holiday.gif photo.jpg photo.jpgx " ] ||
    fail "uninstall should keep only the user's pictures, the folder holds: $(ls_instdir)"
[ -f "$drive_c/Program Files/outside.gif" ] || fail "uninstall followed a listed path out of its folder"
rm -f "$drive_c/Program Files/outside.gif"
[ -z "$(start_menu_folder)" ] || fail "the Start menu folder stays after the second uninstall"
[ -z "$(reg_value DisplayName)" ] || fail "the uninstall entry stays after the second uninstall"

# -- A folder of the user's is refused, whatever its name -----------------------
install
rc=$?
settle
[ "$rc" -ne 0 ] || fail "installing into a folder of the user's files succeeded"
[ "$(ls_instdir)" = "holiday.gif photo.jpg photo.jpgx " ] || fail "the refused install wrote into the folder: $(ls_instdir)"
[ -z "$(reg_value DisplayName)" ] || fail "the refused install registered itself"

# -- ...but one holding an earlier Dovrane.exe is Dovrane's -----------------------
cp "$bin/Dovrane.exe" "$instdir/"
install || fail "installing over an unpacked Dovrane with the user's pictures failed"
settle
uninstall
[ "$(ls_instdir)" = "holiday.gif photo.jpg photo.jpgx " ] || fail "the user's pictures did not survive a second round: $(ls_instdir)"

# -- One Dovrane a machine: not beside the other width's ------------------------
# Both would own the Start menu folder Dovrane. Where the 32-bit one is
# registered (in the 32-bit view), the x64 installer refuses even a folder it
# would take otherwise.
if [ "$arch" = 64 ]; then
    cp "$bin/Dovrane.exe" "$instdir/"
    wine_run reg add "$key" /v InstallLocation /d 'C:\Program Files (x86)\Dovrane' $other_view /f >/dev/null ||
        fail "cannot register a 32-bit Dovrane"
    install
    rc=$?
    settle
    [ "$rc" -ne 0 ] || fail "the x64 installer installed beside a 32-bit Dovrane"
    [ "$(ls_instdir)" = "Dovrane.exe holiday.gif photo.jpg photo.jpgx " ] ||
        fail "the refused x64 install wrote into the folder: $(ls_instdir)"
    [ -z "$(reg_value DisplayName)" ] || fail "the refused x64 install registered itself"
fi

if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) failed" >&2
    exit 1
fi
sed -n '/^Release /,$p' "$work/release.log"
echo "installer test passed"
