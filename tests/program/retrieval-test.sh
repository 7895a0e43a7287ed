#!/bin/bash
# Whole-program test: the minute schedule fetches the enabled sites in turn
# from a loopback server, logs the exchange, converts the page and scrolls it.
ZELVO=$1
ZELVO_PAGE=$2
source "$(dirname "$0")/xvfb-session.sh"

start_site
cat >"$WORK/site/one.html" <<'HTML'
<html><head><title>One</title></head><body><!-- top -->
<h1>Headlines</h1><p>Loopback &amp; local news&nbsp;today</p><a href="x">More</a>
</body></html>
HTML
echo "<html><body><p>Sports results</p></body></html>" >"$WORK/site/three.html"
base="http://127.0.0.1:$PORT"
printf '%s/one.html\r\n%s/two.html\r\n%s/three.html\r\n' "$base" "$base" "$base" >"$WORK/bin/WebURLs.txt"
mkdir -p "$XDG_CONFIG_HOME/Quorvane"
cat >"$XDG_CONFIG_HOME/Quorvane/Zelvo.conf" <<CONF
[Zelvo]
WebSite1=$base/one.html#headlines
WebSite3=$base/three.html
Site2Enabled=0
RetrievalInterval=1
CONF

"$ZELVO" & ticker=$!
strip=$(strip_window $ticker) || fail "no strip"

for _ in $(seq 100); do
    [ -s "$WORK/bin/WebPage.txt" ] && break
    sleep 0.1
done
[ -s "$WORK/bin/WebPage.txt" ] || fail "the first site was not fetched"
[ "$(cut -d' ' -f2 "$WORK/site/requests.log" | head -n1)" = /one.html ] || fail "first request: $(cat "$WORK/site/requests.log")"

expected=$("$ZELVO_PAGE" --file "$WORK/site/one.html"; printf '\r\n')
[ "$(cat "$WORK/bin/WebPage.txt")" = "$expected" ] || fail "WebPage.txt: $(cat -A "$WORK/bin/WebPage.txt")"

log=$(cat "$WORK/bin/Zelv.Log")
for line in "cmd> GET /one.html HTTP/1.0" "Document = one.html" "RequestDone Error = 0" "StatusCode = 200" "hdr>HTTP/1.0 200 OK"; do
    grep -qxF "$line"$'\r' <<<"$log" || fail "Zelv.Log lacks \"$line\": $(cat -A "$WORK/bin/Zelv.Log")"
done

# The title follows the scrolling text.
first=$(title "$strip"); sleep 1; second=$(title "$strip")
[ "$first" != "$second" ] || fail "the title does not scroll: \"$first\""
grep -q "Headlines\|news\|today\|More" <<<"$first$second" || fail "the title shows \"$first\" and \"$second\""

# Sites 1 and 3 take turns, one minute apart.
for _ in $(seq 1500); do
    [ "$(wc -l <"$WORK/site/requests.log")" -ge 3 ] && break
    sleep 0.1
done
paths=$(cut -d' ' -f2 "$WORK/site/requests.log" | head -n3 | tr '\n' ' ')
[ "$paths" = "/one.html /three.html /one.html " ] || fail "sites fetched in the order $paths"
awk 'NR>1 { gap = $1 - prev; if (gap < 55 || gap > 65) { print "gap " gap; exit 1 } } { prev = $1 } NR==3 { exit 0 }' \
    "$WORK/site/requests.log" || fail "fetches not a minute apart: $(cat "$WORK/site/requests.log")"
kill $ticker
echo "retrieval: all checks passed"
