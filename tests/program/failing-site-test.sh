#!/bin/bash
# Whole-program test: a site that cannot be reached leaves the failure lines
# in the log and shows its warning, and the schedule goes on while nobody
# answers it: the next site is fetched a minute later, and the warning stays
# one box.
ZELVO=$1
source "$(dirname "$0")/xvfb-session.sh"

start_site
echo "<html><body><p>Second site</p></body></html>" >"$WORK/site/two.html"
closed=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])')
printf 'http://127.0.0.1:%s/\r\n' "$closed" >"$WORK/bin/WebURLs.txt"
mkdir -p "$XDG_CONFIG_HOME/Quorvane"
cat >"$XDG_CONFIG_HOME/Quorvane/Zelvo.conf" <<CONF
[Zelvo]
WebSite1=http://127.0.0.1:$closed/page.html
WebSite2=http://127.0.0.1:$PORT/two.html
Site3Enabled=0
RetrievalInterval=1
CONF

"$ZELVO" & ticker=$!
box=$(wait_window $ticker '^Warning$') || fail "no warning for the failed fetch"
log=$(tr -d '\r' <"$WORK/bin/Zelv.Log")
grep -qx "GET Failed !" <<<"$log" || fail "Zelv.Log: $log"
grep -q "^StatusCode   = [1-9]" <<<"$log" || fail "Zelv.Log: $log"
grep -q "^ReasonPhrase = ." <<<"$log" || fail "Zelv.Log: $log"
strip=$(strip_window $ticker) || fail "no strip"
[ "$(title "$strip")" = Zelvo ] || fail "title after the failure: $(title "$strip")"

# The box is left open; a minute later site 2 is fetched all the same.
for _ in $(seq 750); do
    [ -s "$WORK/bin/WebPage.txt" ] && break
    sleep 0.1
done
[ -s "$WORK/bin/WebPage.txt" ] || fail "site 2 not fetched while the warning was open"
grep -q "Second site" "$WORK/bin/WebPage.txt" || fail "WebPage.txt: $(cat "$WORK/bin/WebPage.txt")"
[ "$(cut -d' ' -f2 "$WORK/site/requests.log")" = /two.html ] || fail "requests: $(cat "$WORK/site/requests.log")"
boxes=$(xdotool search --all --pid $ticker --onlyvisible --name '^Warning$' | wc -l)
[ "$boxes" = 1 ] || fail "$boxes warning boxes"
xdotool windowfocus --sync "$box" key --clearmodifiers Return
kill $ticker
echo "failing site: all checks passed"
