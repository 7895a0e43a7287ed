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
. "$here/serve_folder.sh"

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
