#!/bin/bash
# Whole-program test: the tray icon in real panels under Xvfb. In each panel
# the icon must dock on screen, at least 16 pixels square, and a right click
# on it must open the ticker's menu (choosing About from it shows the about
# box). A panel that cannot be started here is skipped, not failed.
ZELVO=$1
PANEL=$2
SKIP=77
source "$(dirname "$0")/xvfb-session.sh"

printf 'http://127.0.0.1:9/\r\n' >"$WORK/bin/WebURLs.txt"
mkdir -p "$XDG_CONFIG_HOME/Quorvane"
printf '[Zelvo]\nAutoRetrievalOn=0\n' >"$XDG_CONFIG_HOME/Quorvane/Zelvo.conf"

PANEL_PID=""
stop_panel() {
    [ -n "$PANEL_PID" ] && { kill "$PANEL_PID" 2>/dev/null || true; }
    [ -n "$PANEL_PID" ] && { wait "$PANEL_PID" 2>/dev/null || true; }
    PANEL_PID=""
}
trap 'stop_panel; cleanup' EXIT

skip() {
    echo "SKIP: $*"
    exit $SKIP
}

# The tray's selection has an owner once the panel is ready for icons.
tray_ready() {
    for _ in $(seq 200); do
        python3 - "$DISPLAY" <<'EOF' 2>/dev/null && return 0
import ctypes, sys
x = ctypes.CDLL("libX11.so.6")
x.XOpenDisplay.restype = ctypes.c_void_p
x.XInternAtom.restype = ctypes.c_ulong
x.XGetSelectionOwner.restype = ctypes.c_ulong
d = x.XOpenDisplay(sys.argv[1].encode())
atom = x.XInternAtom(ctypes.c_void_p(d), b"_NET_SYSTEM_TRAY_S0", 0)
sys.exit(0 if x.XGetSelectionOwner(ctypes.c_void_p(d), ctypes.c_ulong(atom)) else 1)
EOF
        [ -n "$PANEL_PID" ] && ! kill -0 "$PANEL_PID" 2>/dev/null && return 1
        sleep 0.1
    done
    return 1
}

start_panel() {
    case "$PANEL" in
        trayer)
            command -v trayer >/dev/null || skip "trayer is not installed"
            trayer --edge bottom --align right --widthtype pixel --width 120 --height 26 \
                --SetDockType true >"$WORK/panel.log" 2>&1 &
            ;;
        trayer-request)
            command -v trayer >/dev/null || skip "trayer is not installed"
            trayer --edge bottom --align right --widthtype request --height 26 \
                --SetDockType true >"$WORK/panel.log" 2>&1 &
            ;;
        tint2)
            command -v tint2 >/dev/null || skip "tint2 is not installed"
            [ -f /etc/xdg/tint2/tint2rc ] || skip "tint2 has no stock configuration"
            tint2 -c /etc/xdg/tint2/tint2rc >"$WORK/panel.log" 2>&1 &
            ;;
        xfce4-panel)
            command -v xfce4-panel >/dev/null || skip "xfce4-panel is not installed"
            start_xfce
            return
            ;;
        *)
            fail "unknown panel $PANEL"
            ;;
    esac
    PANEL_PID=$!
}

# xfce4-panel keeps its layout in its settings service on the session bus:
# a panel holding only the notification area, on a bus of the test's own.
start_xfce() {
    command -v dbus-daemon >/dev/null || skip "no message bus daemon"
    local channel="$XDG_CONFIG_HOME/xfce4/xfconf/xfce-perchannel-xml"
    mkdir -p "$channel"
    cp "$(dirname "$0")/xfce4-panel.xml" "$channel/xfce4-panel.xml"
    start_bus || skip "the message bus does not start"
    xfce4-panel --disable-wm-check >"$WORK/panel.log" 2>&1 &
    PANEL_PID=$!
}

# Prints the icon window's id: the window named after the icon's tip.
icon_window() {
    local id
    for _ in $(seq 150); do
        id=$(xdotool search --all --name '^Zelvo is running$' 2>/dev/null | head -n1 || true)
        [ -n "$id" ] && { echo "$id"; return 0; }
        sleep 0.1
    done
    return 1
}

viewable() { xwininfo -id "$1" | grep -q 'Map State: IsViewable'; }

start_panel
tray_ready || skip "$PANEL did not take the tray (see its log: $(head -c 300 "$WORK/panel.log"))"

"$ZELVO" & ticker=$!
strip_window $ticker >/dev/null || fail "no strip"
icon=$(icon_window) || fail "no icon window"

# Docked: shown, on screen and of a usable size.
docked=""
for _ in $(seq 150); do
    read -r x y w h <<<"$(geometry "$icon")"
    if viewable "$icon" && [ "$x" -ge 0 ] && [ "$y" -ge 0 ] && [ $((x + w)) -le 1280 ] &&
        [ $((y + h)) -le 800 ] && [ "$w" -ge 16 ] && [ "$h" -ge 16 ]; then
        docked=yes
        break
    fi
    sleep 0.1
done
[ -n "$docked" ] || fail "in $PANEL the icon is at $x,$y size ${w}x$h ($(xwininfo -id "$icon" | grep 'Map State'))"
echo "$PANEL: icon at $x,$y size ${w}x$h"

# The menu opens on the icon; its About entry shows the about box.
xdotool mousemove --sync $((x + w / 2)) $((y + h / 2))
sleep 0.3
xdotool click 3
about=""
for _ in $(seq 50); do
    xdotool key a
    about=$(xdotool search --all --onlyvisible --pid $ticker --name '^About' 2>/dev/null | head -n1 || true)
    [ -n "$about" ] && break
    sleep 0.2
done
[ -n "$about" ] || fail "a right click on the icon in $PANEL did not open the menu"
kill -KILL $ticker
echo "tray in $PANEL: all checks passed"
