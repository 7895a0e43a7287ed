#!/bin/bash
# Whole-program test: the strip's placement and the multiple-copy scheme under Xvfb.
ZELVO=$1
source "$(dirname "$0")/xvfb-session.sh"

"$ZELVO" & first=$!
strip=$(wait_window $first '^Zelvo$') || fail "first copy shows no strip"
[ "$(geometry "$strip")" = "0 750 1280 22" ] || fail "first strip at $(geometry "$strip")"
[ "$(setting Zelvo RunningInstances)" = 1 ] || fail "RunningInstances after the first copy"

"$ZELVO" & second=$!
answer_box $second '^Zelvo Already Running$'
strip=$(wait_window $second '^Zelvo$') || fail "second copy shows no strip"
[ "$(geometry "$strip")" = "0 0 1280 22" ] || fail "second strip at $(geometry "$strip")"

"$ZELVO" & third=$!
answer_box $third '^Zelvo Already Running$'
strip=$(wait_window $third '^Zelvo$') || fail "third copy shows no strip"
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
strip=$(wait_window $again '^Zelvo$') || fail "a copy after SIGKILL shows no strip (or a box)"
[ "$(geometry "$strip")" = "0 750 1280 22" ] || fail "copy after SIGKILL at $(geometry "$strip")"
[ "$(setting Zelvo RunningInstances)" = 1 ] || fail "RunningInstances after SIGKILL"
[ -z "$(xdotool search --all --pid $again --name 'Already Running' 2>/dev/null)" ] || fail "stale marker"
kill -KILL $again
echo "copies: all checks passed"
