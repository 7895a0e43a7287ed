#!/bin/bash
# Whole-program test: a new address typed into Site 1 and saved is fetched at
# once, not a whole interval later.
ZELVO=$1
source "$(dirname "$0")/xvfb-session.sh"

start_site
echo "<html><body><p>First page</p></body></html>" >"$WORK/site/one.html"
echo "<html><body><p>My own feed</p></body></html>" >"$WORK/site/mine.html"
base="http://127.0.0.1:$PORT"
printf '%s/one.html\r\n' "$base" >"$WORK/bin/WebURLs.txt"
mkdir -p "$XDG_CONFIG_HOME/Quorvane"
cat >"$XDG_CONFIG_HOME/Quorvane/Zelvo.conf" <<CONF
[Zelvo]
WebSite1=$base/one.html
Site2Enabled=0
Site3Enabled=0
RetrievalInterval=15
CONF

"$ZELVO" & ticker=$!
strip=$(strip_window $ticker) || fail "no strip"
for _ in $(seq 100); do
    grep -q /one.html "$WORK/site/requests.log" 2>/dev/null && break
    sleep 0.1
done
grep -q /one.html "$WORK/site/requests.log" || fail "the first site was not fetched"

# The strip's menu (there is no notification area here), then Configuration.
read -r x y _ h <<<"$(geometry "$strip")"
xdotool mousemove --sync $((x + 40)) $((y + h / 2)) click 3
sleep 0.5
xdotool key c
dialog=$(wait_window $ticker '^Configure Zelvo$') || fail "no dialog"
xdotool windowfocus --sync "$dialog"
# Four pages on is Site 1, its address field taking the focus.
xdotool key --clearmodifiers ctrl+Tab ctrl+Tab ctrl+Tab ctrl+Tab
sleep 0.3
xdotool key --clearmodifiers ctrl+a
xdotool type --delay 5 "$base/mine.html"
xdotool key --clearmodifiers alt+s
answer_box $ticker '^Information$'   # "Saving Zelvo settings to Registry."
saved=$(python3 -c 'import time; print(f"{time.monotonic():.3f}")')

for _ in $(seq 100); do
    grep -q /mine.html "$WORK/site/requests.log" && break
    sleep 0.1
done
fetched=$(awk '$2 == "/mine.html" { print $1; exit }' "$WORK/site/requests.log")
[ -n "$fetched" ] || fail "the new address was not fetched: $(cat "$WORK/site/requests.log")"
awk -v a="$saved" -v b="$fetched" 'BEGIN { exit !(b - a < 5) }' || fail "fetched $saved -> $fetched"
[ "$(setting Zelvo WebSite1)" = "$base/mine.html" ] || fail "stored: $(setting Zelvo WebSite1)"
kill $ticker
echo "site change: all checks passed"
