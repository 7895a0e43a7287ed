#!/bin/bash
# The Windows packages of a cross-build: the zip holds the programs, the
# guide and the URL list under one folder; the installer, run silently under
# Wine in a prefix of its own, puts them in place with a Start menu entry and
# (when asked) the log-on value, and its uninstaller takes them away again,
# leaving the user's settings unless told to remove them.
#   tests/package/windows-package-test.sh BUILD_DIR WINE_PREFIX_TEMPLATE VERSION [PROGRAM.exe...]
set -euo pipefail
build=$(realpath "$1")
template=$(realpath "$2")
version=$3
shift 3
programs=("$@")

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

cmake --build "$build" --target zelvo_zip zelvo_installer >/dev/null
zip="$build/zelvo-$version-win64.zip"
setup="$build/zelvo-$version-win64-setup.exe"
[ -f "$zip" ] || fail "no $zip"
[ -f "$setup" ] || fail "no $setup"

# The archive, listed as the user's unpacking tool would.
listing=$(python3 -m zipfile -l "$zip" | awk 'NR > 1 { print $1 }')
echo "$listing"
expected=(WebURLs.txt help/index.html help/zelvo.css help/images/zelvo-64.png "${programs[@]}")
for f in "${expected[@]}"; do
    grep -qx "zelvo-$version/$f" <<<"$listing" || fail "the zip has no zelvo-$version/$f"
done
grep -v "^zelvo-$version/" <<<"$listing" && fail "the zip has entries outside zelvo-$version/"

WORK=$(mktemp -d)
export WINEPREFIX="$WORK/prefix"
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
cleanup() {
    wineserver -k 2>/dev/null || true
    rm -rf "$WORK"
}
trap cleanup EXIT
# A copy of the build's prefix: a fresh one takes Wine a minute to set up.
cp -a "$template" "$WINEPREFIX"

drive="$WINEPREFIX/drive_c"
target="$drive/ZelvoTest"
run_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
settings_key='HKCU\Software\Quorvane'

run() {
    wine "$@" </dev/null >/dev/null 2>&1 || true
    # The uninstaller runs from a copy of itself and returns at once.
    wineserver -w
}
reg_has() {
    wine reg query "$1" /v "$2" </dev/null 2>/dev/null | tr -d '\r' | grep -q "$2"
}
appdata_dir() {
    find "$drive/users" -maxdepth 4 -type d -path '*/AppData/Roaming' | head -n 1
}

install_into() {
    run "$setup" /S "$@" '/D=C:\ZelvoTest'
    for f in "${expected[@]}" uninstall.exe; do
        [ -f "$target/$f" ] || fail "the installer put no $f in place"
    done
    for f in "${programs[@]}"; do
        cmp -s "$build/package-win/zelvo-$version/$f" "$target/$f" || fail "$f differs from the staged one"
    done
    find "$drive" -name 'Zelvo.lnk' -path '*Start Menu*' | grep -q . || fail "no Start menu entry"
}

# A user's settings and files, as the program leaves them.
make_settings() {
    wine reg add "$settings_key\\General" /v SetFont /d 1 /f </dev/null >/dev/null 2>&1
    mkdir -p "$(appdata_dir)/Quorvane/Zelvo"
    echo page >"$(appdata_dir)/Quorvane/Zelvo/WebPage.txt"
}

# 1. With the log-on start; a plain uninstall keeps the settings.
install_into /AUTOSTART
reg_has "$run_key" Zelvo || fail "/AUTOSTART wrote no log-on value"
wine reg query "$run_key" /v Zelvo </dev/null 2>/dev/null | tr -d '\r' | grep -qi 'ZelvoTest\\zelvo.exe"' ||
    fail "the log-on value does not name the installed program"
make_settings
run "$target/uninstall.exe" /S
for f in "${expected[@]}" uninstall.exe; do
    [ ! -e "$target/$f" ] || fail "the uninstaller left $f"
done
[ ! -e "$target" ] || fail "the uninstaller left its folder: $(ls -R "$target")"
find "$drive" -name 'Zelvo.lnk' | grep -q . && fail "the uninstaller left the Start menu entry"
reg_has "$run_key" Zelvo && fail "the uninstaller left the log-on value"
reg_has "$settings_key\\General" SetFont || fail "a plain uninstall removed the user's settings"
[ -f "$(appdata_dir)/Quorvane/Zelvo/WebPage.txt" ] || fail "a plain uninstall removed the user's files"

# 2. Without the log-on start; the uninstall told to remove the settings does.
install_into
reg_has "$run_key" Zelvo && fail "a plain install wrote the log-on value"
# A file of the user's own in the program folder is not the uninstaller's to take.
echo mine >"$target/notes.txt"
run "$target/uninstall.exe" /S /REMOVESETTINGS
[ -f "$target/notes.txt" ] || fail "the uninstaller removed a file it did not install"
[ ! -e "$target/uninstall.exe" ] || fail "the uninstaller left itself"
wine reg query "$settings_key" </dev/null >/dev/null 2>&1 && fail "/REMOVESETTINGS left HKCU\\Software\\Quorvane"
[ ! -e "$(appdata_dir)/Quorvane/Zelvo" ] || fail "/REMOVESETTINGS left the user's files"
echo "windows packages: zip listed, installed, uninstalled twice"
