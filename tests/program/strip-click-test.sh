#!/bin/bash
# Whole-program test: the strip under the pointer, with a window manager
# (xfwm4 or openbox) or none. The text holds still while the pointer rests
# on it and goes on when it leaves; a double-click on a feed's headline starts
# the browser with that headline's link; dragging the text moves the strip.
# A window manager that is not installed makes the test skip.
ZELVO=$1
WM=$2
SKIP=77
source "$(dirname "$0")/xvfb-session.sh"

skip() {
    echo "SKIP: $*"
    exit $SKIP
}

WM_PID=""
trap '[ -n "$WM_PID" ] && kill $WM_PID 2>/dev/null; cleanup' EXIT
case "$WM" in
    none) ;;
    xfwm4)
        command -v xfwm4 >/dev/null || skip "xfwm4 is not installed"
        # Its settings service lives on the session bus.
        start_bus || skip "the message bus does not start"
        xfwm4 --compositor=off >"$WORK/wm.log" 2>&1 &
        WM_PID=$!
        ;;
    openbox)
        command -v openbox >/dev/null || skip "openbox is not installed"
        openbox --sm-disable >"$WORK/wm.log" 2>&1 &
        WM_PID=$!
        ;;
    *) fail "unknown window manager $WM" ;;
esac
if [ -n "$WM_PID" ]; then
    for _ in $(seq 200); do
        xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
        kill -0 $WM_PID 2>/dev/null || fail "$WM ended: $(head -c 300 "$WORK/wm.log")"
        sleep 0.1
    done
    xprop -root _NET_SUPPORTING_WM_CHECK | grep -q 'window id' || fail "$WM did not come up"
fi

start_site
base="http://127.0.0.1:$PORT"
long=$(printf 'Alpha river bridge opens %.0s' $(seq 30))
cat >"$WORK/site/feed.xml" <<XML
<?xml version="1.0" encoding="utf-8"?>
<rss version="2.0"><channel><title>Loopback news</title>
<item><title>$long</title><link>$base/first.html</link></item>
<item><title>Second story</title><link>$base/second.html</link></item>
</channel></rss>
XML
cat >"$WORK/bin/browser" <<'SH'
#!/bin/sh
printf '%s\n' "$@" >>"$(dirname "$0")/browser.log"
SH
chmod +x "$WORK/bin/browser"
printf '%s/feed.xml\r\n' "$base" >"$WORK/bin/WebURLs.txt"
mkdir -p "$XDG_CONFIG_HOME/Quorvane"
cat >"$XDG_CONFIG_HOME/Quorvane/Zelvo.conf" <<CONF
[Zelvo]
WebSite1=$base/feed.xml
Site2Enabled=0
Site3Enabled=0
RetrievalInterval=60
Browser=$WORK/bin/browser
CONF

"$ZELVO" & ticker=$!
strip=$(strip_window $ticker) || fail "no strip"
for _ in $(seq 100); do
    grep -q Alpha <<<"$(title "$strip")" && break
    sleep 0.1
done
grep -q Alpha <<<"$(title "$strip")" || fail "the feed does not scroll: \"$(title "$strip")\""
read -r x y w h <<<"$(geometry "$strip")"

# Resting on the text: it holds still.
xdotool mousemove --sync $((x + 200)) $((y + h / 2))
sleep 0.6
first=$(title "$strip"); sleep 1.2; second=$(title "$strip")
[ "$first" = "$second" ] || fail "the text moves under the pointer: \"$first\" then \"$second\""

xdotool click --repeat 2 --delay 120 1
for _ in $(seq 50); do
    [ -s "$WORK/bin/browser.log" ] && break
    sleep 0.1
done
[ -s "$WORK/bin/browser.log" ] || fail "a double-click on the headline started no browser under $WM"
grep -qxF "$base/first.html" "$WORK/bin/browser.log" ||
    fail "the browser got \"$(tr '\n' ' ' <"$WORK/bin/browser.log")\", not the headline's link"

# Away from the text it goes on from where it stopped.
xdotool mousemove --sync $((x + 200)) $((y - 200))
sleep 1
third=$(title "$strip")
[ "$third" != "$second" ] || fail "the text does not go on once the pointer left"

# Dragged by the text, the strip follows.
read -r x y w h <<<"$(geometry "$strip")"
xdotool mousemove --sync $((x + 400)) $((y + h / 2)) mousedown 1
for step in $(seq 10); do
    xdotool mousemove --sync $((x + 400)) $((y + h / 2 - 30 * step))
    sleep 0.05
done
xdotool mouseup 1
for _ in $(seq 50); do
    read -r nx ny _ _ <<<"$(geometry "$strip")"
    [ "$ny" -lt $((y - 200)) ] && break
    sleep 0.1
done
[ "$ny" -lt $((y - 200)) ] || fail "dragging under $WM left the strip at $nx,$ny (was $x,$y)"
[ "$(grep -c "^http" "$WORK/bin/browser.log")" = 1 ] || fail "the drag started the browser"
kill -KILL $ticker
echo "strip under $WM: all checks passed"
