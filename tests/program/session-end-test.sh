#!/bin/bash
# Whole-program test: the end of the desktop session (SIGTERM at logout)
# ends the ticker at once, without the exit question, but keeps what Exit
# keeps: a strip dragged elsewhere comes back there, with its two flags,
# and the copy counts itself out.
ZELVO=$1
source "$(dirname "$0")/xvfb-session.sh"

printf 'http://127.0.0.1:9/\r\n' >"$WORK/bin/WebURLs.txt"
mkdir -p "$XDG_CONFIG_HOME/Quorvane"
printf '[Zelvo]\nAutoRetrievalOn=0\nAlwaysOnTop=0\n' >"$XDG_CONFIG_HOME/Quorvane/Zelvo.conf"

"$ZELVO" & ticker=$!
strip=$(strip_window $ticker) || fail "no strip"
read -r x y w h <<<"$(geometry "$strip")"
[ "$y" = $((800 - 28 - 22)) ] || fail "the strip starts at $x,$y"

# Dragged by its text to the upper part of the screen.
xdotool mousemove --sync $((x + 300)) $((y + h / 2)) mousedown 1
for step in 1 2 3 4 5 6 7 8 9 10; do
    xdotool mousemove --sync $((x + 300 + 10 * step)) $((y + h / 2 - 50 * step))
done
xdotool mouseup 1
for _ in $(seq 50); do
    read -r nx ny _ _ <<<"$(geometry "$strip")"
    [ "$ny" != "$y" ] && break
    sleep 0.1
done
[ "$ny" = $((y - 500)) ] && [ "$nx" = $((x + 100)) ] || fail "the drag left the strip at $nx,$ny"
sleep 0.3

kill -TERM $ticker
for _ in $(seq 100); do kill -0 $ticker 2>/dev/null || break; sleep 0.1; done
kill -0 $ticker 2>/dev/null && fail "the ticker did not end at SIGTERM (a question?)"
wait $ticker && code=0 || code=$?
[ "$code" = 0 ] || fail "exit code $code"
[ "$(setting Zelvo TickerTop)" = "$ny" ] || fail "TickerTop $(setting Zelvo TickerTop), the strip was at $ny"
[ "$(setting Zelvo TickerLeft)" = "$nx" ] || fail "TickerLeft $(setting Zelvo TickerLeft), the strip was at $nx"
[ "$(setting Zelvo TickerWidth)" = 1280 ] || fail "TickerWidth $(setting Zelvo TickerWidth)"
[ "$(setting Zelvo AlwaysOnTop)" = 0 ] || fail "AlwaysOnTop $(setting Zelvo AlwaysOnTop)"
[ "$(setting Zelvo HideTicker)" = 0 ] || fail "HideTicker $(setting Zelvo HideTicker)"
[ "$(setting Zelvo RunningInstances)" = 0 ] || fail "the copy did not count itself out"

# The next start puts the strip where the session left it.
"$ZELVO" & ticker=$!
strip=$(strip_window $ticker) || fail "no strip at the second start"
read -r x2 y2 _ _ <<<"$(geometry "$strip")"
[ "$x2,$y2" = "$nx,$ny" ] || fail "the second start put the strip at $x2,$y2, not $nx,$ny"
kill -KILL $ticker
echo "session end: all checks passed"
