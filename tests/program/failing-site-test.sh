#!/bin/bash
# Whole-program test: a site that cannot be reached leaves the failure lines
# in the log and shows its warning.
ZELVO=$1
source "$(dirname "$0")/xvfb-session.sh"

closed=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])')
printf 'http://127.0.0.1:%s/\r\n' "$closed" >"$WORK/bin/WebURLs.txt"
mkdir -p "$XDG_CONFIG_HOME/Quorvane"
printf '[Zelvo]\nWebSite1=http://127.0.0.1:%s/page.html\nSite2Enabled=0\nSite3Enabled=0\n' "$closed" \
    >"$XDG_CONFIG_HOME/Quorvane/Zelvo.conf"

"$ZELVO" & ticker=$!
answer_box $ticker '^Warning$'   # the failed fetch
log=$(tr -d '\r' <"$WORK/bin/Zelv.Log")
grep -qx "GET Failed !" <<<"$log" || fail "Zelv.Log: $log"
grep -q "^StatusCode   = [1-9]" <<<"$log" || fail "Zelv.Log: $log"
grep -q "^ReasonPhrase = ." <<<"$log" || fail "Zelv.Log: $log"
strip=$(strip_window $ticker) || fail "no strip"
[ "$(title "$strip")" = Zelvo ] || fail "title after the failure: $(title "$strip")"
kill $ticker
echo "failing site: all checks passed"
