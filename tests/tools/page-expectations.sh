#!/bin/bash
# zelvo-page on a few stored pages and on the same pages fetched from a
# loopback server, against the texts the Linux build gives: the Windows
# build runs it under Wine, the Linux build keeps the texts true.
#   page-expectations.sh check|write PAGES_DIR PROGRAM [RUNNER...]
# RUNNER (say, wine) starts PROGRAM; "write" stores what it prints instead.
set -euo pipefail
mode=$1
pages=$(realpath "$2")
program=$3
shift 3
runner=("$@")

cases=(
    "news.headlines|--file $pages/news.html"
    "news.classic|--classic --file $pages/news.html"
    "news.links|--links --file $pages/news.html"
    "feed.headlines|--file $pages/feed.xml"
    "feed.links|--links --file $pages/feed.xml"
    "news.fetched|http://127.0.0.1:PORT/news.html"
    "feed.fetched|http://127.0.0.1:PORT/feed.xml"
)

WORK=$(mktemp -d)
server=""
cleanup() {
    [ -z "$server" ] || kill "$server" 2>/dev/null || true
    rm -rf "$WORK"
}
trap cleanup EXIT
mkdir "$WORK/site"
cp "$pages/news.html" "$pages/feed.xml" "$WORK/site/"
python3 "$(dirname "$0")/../program/pageserver.py" "$WORK/site" >"$WORK/port" &
server=$!
for _ in $(seq 100); do
    [ -s "$WORK/port" ] && break
    sleep 0.1
done
port=$(cat "$WORK/port")
[ -n "$port" ] || { echo "FAIL: the page server did not start" >&2; exit 1; }

failed=0
for c in "${cases[@]}"; do
    name=${c%%|*}
    read -r -a args <<<"${c#*|}"
    args=("${args[@]//PORT/$port}")
    # Windows' console conventions aside, the text is the same: a line
    # ending in CR LF counts as one ending in LF.
    "${runner[@]}" "$program" "${args[@]}" 2>"$WORK/$name.err" </dev/null | tr -d '\r' >"$WORK/$name.out" ||
        { echo "FAIL: $name: $(cat "$WORK/$name.err")" >&2; failed=1; continue; }
    if [ "$mode" = write ]; then
        cp "$WORK/$name.out" "$pages/expected/$name.txt"
    elif cmp -s "$WORK/$name.out" "$pages/expected/$name.txt"; then
        echo "ok: $name"
    else
        echo "FAIL: $name gives:" >&2
        cat -A "$WORK/$name.out" >&2
        failed=1
    fi
done
exit $failed
