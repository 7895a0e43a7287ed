#!/bin/bash
# Whole-program test: with automatic retrieval off the explanation scrolls
# for two minutes, then the strip shows the product name.
ZELVO=$1
source "$(dirname "$0")/xvfb-session.sh"

printf 'http://127.0.0.1:9/\r\n' >"$WORK/bin/WebURLs.txt"
mkdir -p "$XDG_CONFIG_HOME/Quorvane"
printf '[Zelvo]\nAutoRetrievalOn=0\n' >"$XDG_CONFIG_HOME/Quorvane/Zelvo.conf"

"$ZELVO" & ticker=$!
strip=$(strip_window $ticker) || fail "no strip"
start=$(date +%s)
seen=""
while [ $(( $(date +%s) - start )) -lt 100 ]; do
    t=$(title "$strip")
    case "$t" in *"auto-retrieval feature is off"*) seen=yes; break ;; esac
    sleep 0.5
done
[ -n "$seen" ] || fail "the explanation never scrolled by"
[ "$(title "$strip")" != Zelvo ] || fail "the explanation stopped early"
while [ $(( $(date +%s) - start )) -lt 135 ]; do
    [ "$(title "$strip")" = Zelvo ] && break
    sleep 0.5
done
[ "$(title "$strip")" = Zelvo ] || fail "after two minutes the title is \"$(title "$strip")\""
kill $ticker
echo "explanation: all checks passed"
