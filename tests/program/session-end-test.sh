#!/bin/bash
# Whole-program test: the end of the desktop session (SIGTERM at logout)
# ends the ticker at once, without the exit question and without saving.
ZELVO=$1
source "$(dirname "$0")/xvfb-session.sh"

printf 'http://127.0.0.1:9/\r\n' >"$WORK/bin/WebURLs.txt"
mkdir -p "$XDG_CONFIG_HOME/Quorvane"
printf '[Zelvo]\nAutoRetrievalOn=0\n' >"$XDG_CONFIG_HOME/Quorvane/Zelvo.conf"

"$ZELVO" & ticker=$!
strip_window $ticker >/dev/null || fail "no strip"
before=$(cat "$XDG_CONFIG_HOME/Quorvane/Zelvo.conf")
kill -TERM $ticker
for _ in $(seq 100); do kill -0 $ticker 2>/dev/null || break; sleep 0.1; done
kill -0 $ticker 2>/dev/null && fail "the ticker did not end at SIGTERM (a question?)"
wait $ticker && code=0 || code=$?
[ "$code" = 0 ] || fail "exit code $code"
[ "$(cat "$XDG_CONFIG_HOME/Quorvane/Zelvo.conf")" = "$before" ] || fail "settings were written at session end"
[ "$(setting Zelvo RunningInstances)" = 1 ] || fail "the copy counted itself out"
echo "session end: all checks passed"
