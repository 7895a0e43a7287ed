#!/bin/bash
# Starts the installed programs as a new user meets them: the command-line
# tool answering, and the ticker starting from /usr/bin for an ordinary user
# with an empty home, showing no warning, copying the shipped URL list into the
# user's settings folder and keeping its page text and log in the user's state
# folder, never beside the executable. Run as root after check-installed.sh.
#   tests/package/check-first-start.sh
set -euo pipefail
[ "$(id -u)" -eq 0 ] || { echo "check-first-start: run as root" >&2; exit 2; }

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

WORK=$(mktemp -d)
chmod 755 "$WORK"
PIDS=()
cleanup() {
    for ((i = ${#PIDS[@]} - 1; i >= 0; i--)); do kill "${PIDS[i]}" 2>/dev/null || true; done
    # The ticker saves its settings when it is told to end: let it finish
    # before its folder goes.
    for pid in "${PIDS[@]}"; do wait "$pid" 2>/dev/null || true; done
    rm -rf "$WORK"
}
trap cleanup EXIT

echo "+ zelvo-page --version"
version=$(/usr/bin/zelvo-page --version) || fail "zelvo-page --version failed"
echo "  $version"
grep -q '3\.02' <<<"$version" || fail "zelvo-page --version does not name 3.02"

echo "+ the ticker from /usr/bin, for an ordinary user with an empty home"
# Root may write /usr/bin; a user may not, and that is the case to prove.
user=nobody
uid=$(id -u "$user") gid=$(id -g "$user")
home="$WORK/home" run="$WORK/run"
mkdir -p "$home/.config/Quorvane" "$WORK/site" && mkdir -m 700 "$run"

# The one setting the check brings: the first site is a page on loopback, so
# the first fetch writes the page text and the log without any name lookup.
cat >"$WORK/site/news.html" <<'PAGE'
<html><head><title>Loopback news</title></head><body><p>Installed ticker fetched this.</p></body></html>
PAGE
python3 -c '
import http.server, functools, sys
handler = functools.partial(http.server.SimpleHTTPRequestHandler, directory=sys.argv[1])
handler.log_message = lambda *args: None
server = http.server.HTTPServer(("127.0.0.1", 0), handler)
print(server.server_port, flush=True)
server.serve_forever()' "$WORK/site" >"$WORK/port" &
PIDS+=($!)
for _ in $(seq 100); do [ -s "$WORK/port" ] && break; sleep 0.1; done
port=$(head -n1 "$WORK/port")
printf '[Zelvo]\nWebSite1=http://127.0.0.1:%s/news.html\n' "$port" >"$home/.config/Quorvane/Zelvo.conf"
chown -R "$uid:$gid" "$home" "$run"

exec 5>"$WORK/displayfd"
Xvfb -displayfd 5 -screen 0 1280x800x24 -nolisten tcp >"$WORK/xvfb.log" 2>&1 &
PIDS+=($!)
for _ in $(seq 100); do [ -s "$WORK/displayfd" ] && break; sleep 0.1; done
export DISPLAY=":$(head -n1 "$WORK/displayfd")"
# A notification area, as a desktop has one.
trayer --edge top --align right --widthtype request --height 24 >"$WORK/trayer.log" 2>&1 &
PIDS+=($!)
sleep 1

(cd / && exec env -i DISPLAY="$DISPLAY" HOME="$home" XDG_RUNTIME_DIR="$run" PATH=/usr/bin:/bin LANG=C.UTF-8 \
    setpriv --reuid="$uid" --regid="$gid" --clear-groups -- /usr/bin/zelvo) >"$WORK/zelvo.log" 2>&1 &
ticker=$!
PIDS+=($ticker)
strip=""
for _ in $(seq 150); do
    strip=$(xdotool search --onlyvisible --pid "$ticker" --class zelvo 2>/dev/null | head -n1 || true)
    [ -n "$strip" ] && break
    kill -0 "$ticker" 2>/dev/null || break
    sleep 0.1
done
[ -n "$strip" ] || { cat "$WORK/zelvo.log" >&2; fail "the ticker shows no window"; }

state="$home/.local/state/zelvo"
for _ in $(seq 150); do
    [ -s "$state/WebPage.txt" ] && break
    sleep 0.1
done
kill -0 "$ticker" 2>/dev/null || { cat "$WORK/zelvo.log" >&2; fail "the ticker did not stay up"; }
for id in $(xdotool search --all --pid "$ticker" --name '' 2>/dev/null || true); do
    name=$(xdotool getwindowname "$id" 2>/dev/null || true)
    case "$name" in
    Warning* | Error* | Confirm* | *"Already Running"*) fail "the ticker shows a box at its first start: \"$name\"" ;;
    esac
done

list="$home/.config/Quorvane/WebURLs.txt"
[ -f "$list" ] || fail "the shipped URL list was not copied to $list"
cmp -s /usr/share/zelvo/WebURLs.txt "$list" || fail "$list differs from the shipped list"
grep -q "Installed ticker fetched this" "$state/WebPage.txt" 2>/dev/null || fail "no page text in $state"
grep -q "StatusCode = 200" "$state/Zelv.Log" 2>/dev/null || fail "no log in $state"
for f in WebURLs.txt WebPage.txt Zelv.Log; do
    [ ! -e "/usr/bin/$f" ] || fail "the ticker wrote /usr/bin/$f"
done
echo "PASS: the package installs and the ticker starts from it"
