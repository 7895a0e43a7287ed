#!/bin/sh
# Peak memory of one fetch and conversion of a large page through the
# ticker's retrieval cycle (zelvo-page URL), from a server on loopback, less
# the peak of fetching a tiny page; printed as a multiple of the body. The
# default size stays below the largest document the ticker keeps (32 MiB):
# a larger one ends the fetch as a failure before it is converted.
#   bench/fetch_memory_bench.sh [path/to/zelvo-page] [size in bytes]
set -eu
here=$(cd "$(dirname "$0")" && pwd)
tool=${1:-build/tools/zelvo-page}
size=${2:-31457280}
dir=$(mktemp -d)
python3 "$here/ordinary_page.py" "$dir/big.html" "$size"
echo "<p>tiny</p>" >"$dir/tiny.html"
port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
python3 -m http.server "$port" --bind 127.0.0.1 --directory "$dir" >/dev/null 2>&1 &
server=$!
trap 'kill $server 2>/dev/null; rm -rf "$dir"' EXIT
for _ in $(seq 50); do
    python3 -c "import socket; socket.create_connection(('127.0.0.1', $port), 1)" 2>/dev/null && break
    sleep 0.1
done

peak() {  # maximum resident set, KiB
    /usr/bin/time -f '%M' "$tool" "http://127.0.0.1:$port/$1" 2>&1 >/dev/null | tail -n 1
}
base=$(peak tiny.html)
big=$(peak big.html)
[ "$big" -gt "$base" ] || { echo "the large page was not fetched (over the size limit?)"; exit 1; }
body=$(stat -c %s "$dir/big.html")
echo "body: $body bytes"
echo "peak RSS, tiny page: $base KiB; large page: $big KiB"
echo "$big $base $body" | awk '{ printf "peak above the tiny fetch: %.2f x the body\n", ($1 - $2) * 1024 / $3 }'
