#!/bin/bash
# Whole-program test: a ticker in a folder the user may not write (as an
# installed one is) keeps the page and the log in the user's state folder and
# reads the URL list from beside the settings; its own folder stays as it was.
# What it keeps there is the user's alone, whatever the umask.
ZELVO=$1
source "$(dirname "$0")/xvfb-session.sh"
unset XDG_STATE_HOME

start_site
echo "<html><body><p>Installed news</p></body></html>" >"$WORK/site/one.html"
base="http://127.0.0.1:$PORT"
mkdir -p "$XDG_CONFIG_HOME/Quorvane"
printf '%s/one.html\r\n' "$base" >"$XDG_CONFIG_HOME/Quorvane/WebURLs.txt"
cat >"$XDG_CONFIG_HOME/Quorvane/Zelvo.conf" <<CONF
[Zelvo]
WebSite1=$base/one.html
Site2Enabled=0
Site3Enabled=0
CONF
chmod 555 "$WORK/bin"
umask 022
trap 'chmod 755 "$WORK/bin"; cleanup' EXIT

"$ZELVO" & ticker=$!
state="$HOME/.local/state/zelvo"
for _ in $(seq 150); do
    [ -s "$state/WebPage.txt" ] && break
    sleep 0.1
done
[ -s "$state/WebPage.txt" ] || fail "no WebPage.txt in $state: $(ls -la "$state" 2>&1)"
grep -q "Installed news" "$state/WebPage.txt" || fail "WebPage.txt: $(cat -A "$state/WebPage.txt")"
grep -q "GET /one.html" "$state/Zelv.Log" || fail "Zelv.Log: $(cat -A "$state/Zelv.Log" 2>&1)"
for made in "$state" "$state/WebPage.txt" "$state/Zelv.Log"; do
    mode=$(stat -c %a "$made")
    want=600
    [ -d "$made" ] && want=700
    [ "$mode" = "$want" ] || fail "$made is $mode, not $want"
done
[ "$(ls "$WORK/bin")" = zelvo ] || fail "the program's folder was written: $(ls "$WORK/bin")"
kill $ticker
echo "installed files: all checks passed"
