#!/bin/bash
# Whole-program test: the strip's placement and the multiple-copy scheme under Xvfb.
ZELVO=$1
source "$(dirname "$0")/xvfb-session.sh"

# No page is fetched from anywhere but here.
start_site
echo "<html><body>Loopback news</body></html>" >"$WORK/site/index.html"
printf 'http://127.0.0.1:%s/index.html\r\n' "$PORT" >"$WORK/bin/WebURLs.txt"
# Every copy's first site is here too, never the built-in default.
mkdir -p "$XDG_CONFIG_HOME/Quorvane"
for section in Zelvo Zelvo2 Zelvo3; do
    printf '[%s]\nWebSite1=http://127.0.0.1:%s/index.html\n' "$section" "$PORT"
done >"$XDG_CONFIG_HOME/Quorvane/Zelvo.conf"

"$ZELVO" & first=$!
strip=$(strip_window $first) || fail "first copy shows no strip"
[ "$(geometry "$strip")" = "0 750 1280 22" ] || fail "first strip at $(geometry "$strip")"
[ "$(setting Zelvo RunningInstances)" = 1 ] || fail "RunningInstances after the first copy"

"$ZELVO" & second=$!
answer_box $second '^Zelvo Already Running$'
strip=$(strip_window $second) || fail "second copy shows no strip"
[ "$(geometry "$strip")" = "0 0 1280 22" ] || fail "second strip at $(geometry "$strip")"

"$ZELVO" & third=$!
answer_box $third '^Zelvo Already Running$'
strip=$(strip_window $third) || fail "third copy shows no strip"
[ "$(geometry "$strip")" = "0 22 1280 22" ] || fail "third strip at $(geometry "$strip")"
[ "$(setting Zelvo RunningInstances)" = 3 ] || fail "RunningInstances with three copies"

"$ZELVO" & fourth=$!
answer_box $fourth '^Zelvo Already Running$'
answer_box $fourth '^Warning$'
for _ in $(seq 100); do kill -0 $fourth 2>/dev/null || break; sleep 0.1; done
kill -0 $fourth 2>/dev/null && fail "the fourth copy is still running"
[ "$(setting Zelvo RunningInstances)" = 3 ] || fail "RunningInstances after the refused copy"

kill -KILL $first $second $third
wait $first $second $third 2>/dev/null || true

"$ZELVO" & again=$!
strip=$(strip_window $again) || fail "a copy after SIGKILL shows no strip (or a box)"
[ "$(geometry "$strip")" = "0 750 1280 22" ] || fail "copy after SIGKILL at $(geometry "$strip")"
[ "$(setting Zelvo RunningInstances)" = 1 ] || fail "RunningInstances after SIGKILL"
[ -z "$(xdotool search --all --pid $again --name 'Already Running' 2>/dev/null)" ] || fail "stale marker"
kill -KILL $again
echo "copies: all checks passed"
