#!/bin/bash
# Whole-program test: the status item in xfce4-panel's notification area on
# a private message bus. The panel runs on a display of its own, so the
# ticker (on the other display) finds no tray to embed into and registers
# its item on the bus; the panel draws it. A right click on it must show the
# ticker's own menu, drawn by the panel: choosing About there shows the
# ticker's about box. Skipped when the panel or the bus cannot run here.
ZELVO=$1
SKIP=77
source "$(dirname "$0")/xvfb-session.sh"

skip() {
    echo "SKIP: $*"
    exit $SKIP
}
command -v xfce4-panel >/dev/null || skip "xfce4-panel is not installed"
command -v dbus-daemon >/dev/null || skip "no message bus daemon"

printf 'http://127.0.0.1:9/\r\n' >"$WORK/bin/WebURLs.txt"
mkdir -p "$XDG_CONFIG_HOME/Quorvane"
printf '[Zelvo]\nAutoRetrievalOn=0\n' >"$XDG_CONFIG_HOME/Quorvane/Zelvo.conf"
channel="$XDG_CONFIG_HOME/xfce4/xfconf/xfce-perchannel-xml"
mkdir -p "$channel"
cp "$(dirname "$0")/xfce4-panel.xml" "$channel/xfce4-panel.xml"

start_x
PANEL_DISPLAY=$X_DISPLAY

start_bus || skip "the message bus does not start"
DISPLAY=$PANEL_DISPLAY xfce4-panel --disable-wm-check >"$WORK/panel.log" 2>&1 &
PANEL_PID=$!
trap 'kill $PANEL_PID 2>/dev/null || true; wait $PANEL_PID 2>/dev/null || true; cleanup' EXIT

on_panel() { DISPLAY=$PANEL_DISPLAY "$@"; }

# The notification area: the panel's plugin window.
plugin=""
for _ in $(seq 200); do
    kill -0 $PANEL_PID 2>/dev/null || skip "xfce4-panel ended: $(head -c 300 "$WORK/panel.log")"
    plugin=$(on_panel xdotool search --onlyvisible --classname '^wrapper-2.0$' 2>/dev/null | head -n1 || true)
    if [ -n "$plugin" ] && dbus-send --session --print-reply --dest=org.freedesktop.DBus \
        /org/freedesktop/DBus org.freedesktop.DBus.NameHasOwner \
        string:org.kde.StatusNotifierWatcher 2>/dev/null | grep -q 'boolean true'; then
        break
    fi
    plugin=""
    sleep 0.1
done
[ -n "$plugin" ] || skip "the panel's notification area did not come up"
read -r _ _ empty_width _ <<<"$(on_panel geometry "$plugin")"

"$ZELVO" & ticker=$!
strip_window $ticker >/dev/null || fail "no strip"

# The area grows by the item the panel draws.
for _ in $(seq 150); do
    read -r x y w h <<<"$(on_panel geometry "$plugin")"
    [ "$w" -gt "$empty_width" ] && break
    sleep 0.1
done
[ "$w" -gt "$empty_width" ] || fail "the panel shows no item (area ${w}x$h)"
echo "status item: area ${empty_width} -> ${w}x$h at $x,$y"

# The item is the area's last entry.
on_panel xdotool mousemove --sync $((x + w - h / 2)) $((y + h / 2))
sleep 0.3
on_panel xdotool click 3
about=""
for _ in $(seq 50); do
    sleep 0.2
    on_panel xdotool key a
    about=$(xdotool search --all --onlyvisible --pid $ticker --name '^About' 2>/dev/null | head -n1 || true)
    [ -n "$about" ] && break
done
[ -n "$about" ] || fail "the panel's menu for the item did not offer the ticker's About"
kill -KILL $ticker
echo "status item: all checks passed"
