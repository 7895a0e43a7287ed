#!/bin/bash
# Takes the guide's and the README's screenshots of a real ticker under a
# private X server: a notification area at the bottom, a window manager, and a
# page served on loopback.
#   docs/take-screenshots.sh build/app/zelvo
# Needs, besides the build's packages: xfwm4, x11-xserver-utils and x11-apps (xwd; docs/xwd2png.py
# turns the dumps into PNG files).
set -euo pipefail
# The window manager keeps its settings on a session bus.
if [ -z "${ZELVO_SHOTS_BUS:-}" ]; then
    ZELVO_SHOTS_BUS=1 exec dbus-run-session -- "$0" "$@"
fi
zelvo=$(realpath "$1")
docs=$(cd "$(dirname "$0")" && pwd)
out=$docs/help/images
WORK=$(mktemp -d)
PIDS=()
cleanup() {
    for ((i = ${#PIDS[@]} - 1; i >= 0; i--)); do kill "${PIDS[i]}" 2>/dev/null || true; done
    # The ticker saves its settings when it is told to end: let it finish
    # before its folder goes.
    for pid in "${PIDS[@]}"; do wait "$pid" 2>/dev/null || true; done
    rm -rf "$WORK"
}
trap cleanup EXIT

export HOME="$WORK/home" XDG_RUNTIME_DIR="$WORK/run"
unset XDG_CONFIG_HOME XDG_STATE_HOME QT_QPA_PLATFORM
mkdir -p "$HOME" "$WORK/bin" "$WORK/site" && mkdir -m 700 "$XDG_RUNTIME_DIR"
cp "$zelvo" "$WORK/bin/zelvo"
cp "$(dirname "$zelvo")/WebURLs.txt" "$WORK/bin/"
cat >"$WORK/site/news.html" <<'PAGE'
<html><head><title>Morning headlines</title></head><body>
<h1>Morning headlines</h1>
<p>Harbour bridge reopens after six weeks of repairs.</p>
<p>City council approves new cycle lanes for the old town.</p>
<p>Local team wins the regional cup final 2-1 in extra time.</p>
<p>Weather: bright spells, light winds, 14 degrees.</p>
</body></html>
PAGE
port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])')
python3 -m http.server --bind 127.0.0.1 --directory "$WORK/site" "$port" >/dev/null 2>&1 &
PIDS+=($!)
mkdir -p "$HOME/.config/Quorvane"
cat >"$HOME/.config/Quorvane/Zelvo.conf" <<CONF
[Zelvo]
WebSite1=http://127.0.0.1:$port/news.html
SiteTester=http://127.0.0.1:$port/news.html
Site2Enabled=0
Site3Enabled=0
FontName=DejaVu Sans
CONF

exec 5>"$WORK/displayfd"
Xvfb -displayfd 5 -screen 0 1024x640x24 -nolisten tcp >/dev/null 2>&1 &
PIDS+=($!)
for _ in $(seq 100); do [ -s "$WORK/displayfd" ] && break; sleep 0.1; done
export DISPLAY=":$(head -n1 "$WORK/displayfd")"
xfwm4 --compositor=off >/dev/null 2>&1 &
PIDS+=($!)
trayer --edge bottom --align right --widthtype pixel --width 32 --height 24 --tint 0x303030 --transparent true --alpha 0 >/dev/null 2>&1 &
PIDS+=($!)
sleep 5
xsetroot -solid '#3b5b78'

"$WORK/bin/zelvo" >/dev/null 2>&1 &
ZPID=$!
PIDS+=($ZPID)
sleep 8
shot() { # shot OUT.png [WIDTHxHEIGHT+X+Y]: the screen, or a part of it
    xwd -root -silent -out "$WORK/screen.xwd"
    python3 "$docs/xwd2png.py" "$WORK/screen.xwd" "$@"
}

# The tray icon's window carries the tool tip as its name.
icon=""
for _ in $(seq 50); do
    icon=$(xdotool search --name '^Zelvo is running$' 2>/dev/null | head -n1 || true)
    [ -n "$icon" ] && break
    sleep 0.1
done
[ -n "$icon" ] || { echo "no tray icon found" >&2; exit 1; }
read -r ix iy < <(xwininfo -id "$icon" | awk '/Absolute upper-left X/{x=$NF} /Absolute upper-left Y/{y=$NF}
    /Width:/{w=$NF} /Height:/{h=$NF} END{print x + int(w / 2), y + int(h / 2)}')
xdotool mousemove "$ix" "$iy" click 3
sleep 1.5
shot "$out/strip-menu.png" 1024x340+0+300
xdotool key Escape
sleep 0.5
xdotool mousemove "$ix" "$iy" click 3
sleep 1
xdotool key c
dialog=""
for _ in $(seq 50); do
    dialog=$(xdotool search --onlyvisible --name '^Configure Zelvo' 2>/dev/null | head -n1 || true)
    [ -n "$dialog" ] && break
    sleep 0.1
done
[ -n "$dialog" ] || { echo "no dialog" >&2; exit 1; }
sleep 1.5
read -r X Y WIDTH HEIGHT < <(xwininfo -id "$dialog" | awk '/Absolute upper-left X/{x=$NF}
    /Absolute upper-left Y/{y=$NF} /Width:/{w=$NF} /Height:/{h=$NF} END{print x, y, w, h}')
# The window manager's frame around the dialog: left, right, top, bottom.
read -r fl fr ft fb < <(xprop -id "$dialog" _NET_FRAME_EXTENTS 2>/dev/null | tr -dc '0-9 ' | xargs printf '%s %s %s %s\n' ||
    echo 0 0 0 0)
fl=${fl:-0} fr=${fr:-0} ft=${ft:-0} fb=${fb:-0}
shot "$out/dialog-general.png" "$((WIDTH + fl + fr))x$((HEIGHT + ft + fb))+$((X - fl))+$((Y - ft))"
echo "wrote $out/strip-menu.png $out/dialog-general.png"
