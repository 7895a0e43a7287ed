#!/bin/bash
# Whole-program test of the Windows build under Wine on a private X server:
# the strip, the registry values a start writes, a fetch from a loopback
# server giving the same WebPage.txt as the Linux build, and a second copy
# taking the next row.
#   wine-program-test.sh <zelvo.exe> [<prefix to copy>]
# Exits 77 (skipped) where Wine or an X server cannot run.
set -euo pipefail
ZELVO_EXE=$1
TEMPLATE=${2:-}
HERE=$(cd "$(dirname "$0")" && pwd)

skip() { echo "SKIP: $*"; exit 77; }
command -v wine >/dev/null || skip "wine is not installed"
command -v xdotool >/dev/null || skip "xdotool is not installed"
# One private X server for the whole run, started by re-running under it.
if [ -z "${ZELVO_WINE_XVFB:-}" ]; then
    command -v xvfb-run >/dev/null || skip "xvfb-run is not installed"
    export ZELVO_WINE_XVFB=1
    exec xvfb-run -a -s "-screen 0 1280x800x24 -nolisten tcp" "$0" "$@"
fi

WORK=$(mktemp -d)
PIDS=()
cleanup() {
    local pid
    for pid in "${PIDS[@]}"; do kill "$pid" 2>/dev/null || true; done
    WINEPREFIX="$WORK/prefix" wineserver -k 2>/dev/null || true
    rm -rf "$WORK"
}
trap cleanup EXIT
geometry() {
    xwininfo -id "$1" 2>/dev/null | awk '/Absolute upper-left X/{x=$NF} /Absolute upper-left Y/{y=$NF} /Width:/{w=$NF} /Height:/{h=$NF} END{print x, y, w, h}'
}
KEY='HKCU\Software\Quorvane\Zelvo'
fail() {
    echo "FAIL: $*" >&2
    local id
    echo "The program's windows on screen:" >&2
    for id in $(xdotool search --onlyvisible --class zelvo.exe 2>/dev/null); do
        echo "  $(geometry "$id") \"$(xdotool getwindowname "$id" 2>/dev/null)\"" >&2
    done
    echo "Registry: $(wine reg query "$KEY" 2>/dev/null | tr -d '\r' | tr '\n' ' ')" >&2
    exit 1
}

# A prefix of the test's own: the registry it checks holds only what this
# run wrote.
# A fresh one takes Wine a minute to set up: a copy of an untouched one, when
# given, does as well.
export WINEPREFIX="$WORK/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
if [ -n "$TEMPLATE" ] && [ -f "$TEMPLATE/system.reg" ]; then
    cp -a "$TEMPLATE" "$WINEPREFIX"
else
    wineboot --init >/dev/null 2>&1 || fail "wineboot could not make a prefix"
    wineserver --wait
fi

# The program keeps its files beside the executable: this run has its own copy.
mkdir -p "$WORK/bin" "$WORK/site"
cp "$ZELVO_EXE" "$WORK/bin/zelvo.exe"
cp "$HERE/wine-page.html" "$WORK/site/page.html"
python3 "$HERE/pageserver.py" "$WORK/site" >"$WORK/port" &
PIDS+=($!)
for _ in $(seq 100); do
    [ -s "$WORK/port" ] && break
    sleep 0.1
done
PORT=$(head -n1 "$WORK/port")
[ -n "$PORT" ] || fail "the page server did not start"
base="http://127.0.0.1:$PORT"
printf '%s/page.html\r\n' "$base" >"$WORK/bin/WebURLs.txt"

reg_set() { wine reg add "$KEY" /v "$1" /t REG_SZ /d "$2" /f >/dev/null 2>&1 || fail "reg add $1"; }
reg_get() {
    wine reg query "$KEY" /v "$1" 2>/dev/null | tr -d '\r' |
        awk -v name="$1" '$1 == name { $1 = ""; $2 = ""; sub(/^  /, ""); print }'
}
reg_set WebSite1 "$base/page.html"
reg_set Site2Enabled 0
reg_set Site3Enabled 0
wineserver --wait

# The ids of the visible windows of a title (a pattern), newest last.
windows_named() { xdotool search --onlyvisible --name "$1" 2>/dev/null || true; }

cd "$WORK/bin"
wine zelvo.exe >"$WORK/first.log" 2>&1 &
first=$!
PIDS+=($first)

# The strip keeps its own title: the running program's title, which
# follows the frames, has no taskbar button to go to.
# Wine may replace the X window behind a new one while the program sets it
# up, so a window found may be gone by the time it is measured: look again.
strip=""
first_place=""
for _ in $(seq 300); do
    strip=$(windows_named '^ Zelvo$' | head -n1)
    if [ -n "$strip" ] && first_place=$(geometry "$strip") && [ -n "$first_place" ]; then
        break
    fi
    kill -0 $first 2>/dev/null || fail "zelvo.exe ended: $(cat "$WORK/first.log")"
    sleep 0.2
done
[ -n "$first_place" ] || fail "no window titled \" Zelvo\""

[ "$(reg_get RunningInstances)" = 1 ] || fail "RunningInstances after the first copy: \"$(reg_get RunningInstances)\""

for _ in $(seq 300); do
    [ -s WebPage.txt ] && break
    sleep 0.2
done
[ -s WebPage.txt ] || fail "the page was not fetched; requests: $(cat "$WORK/site/requests.log" 2>/dev/null)"
[ "$(cut -d' ' -f2 "$WORK/site/requests.log" | head -n1)" = /page.html ] ||
    fail "first request: $(cat "$WORK/site/requests.log")"
# The Linux build's text for the same page, as it writes it.
cmp -s WebPage.txt "$HERE/wine-page.expected" ||
    fail "WebPage.txt differs from the Linux build's: $(cat -A WebPage.txt)"

# A second copy takes the next row. The box that says the first runs is
# answered if it comes.
wine zelvo.exe >"$WORK/second.log" 2>&1 &
second=$!
PIDS+=($second)
# The strips are the program's wide windows; their titles scroll.
strip_places() {
    local id
    for id in $(xdotool search --onlyvisible --class zelvo.exe 2>/dev/null); do
        geometry "$id" || true
    done | awk '$3 >= 1000' | sort -u
}
places=""
for _ in $(seq 300); do
    box=$(windows_named 'Already Running' | head -n1)
    [ -n "$box" ] && xdotool windowfocus --sync "$box" key --clearmodifiers Return 2>/dev/null || true
    places=$(strip_places)
    [ "$(reg_get RunningInstances)" = 2 ] && [ "$(wc -l <<<"$places")" -ge 2 ] && break
    kill -0 $second 2>/dev/null || fail "the second copy ended: $(cat "$WORK/second.log")"
    sleep 0.2
done
[ "$(reg_get RunningInstances)" = 2 ] || fail "RunningInstances with two copies: \"$(reg_get RunningInstances)\""
[ "$(wc -l <<<"$places")" -ge 2 ] || fail "the two strips stand at $places"
echo "strips at: $(tr '\n' ';' <<<"$places") (the first at $first_place)"
echo "wine program: all checks passed"
