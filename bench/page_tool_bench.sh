#!/bin/sh
# zelvo-page --file beside a text-mode browser's dump of the same 10 MB page,
# in the same run; prints both wall times and their ratio (zelvo-page the best
# of three runs; the dump, which takes minutes on such a page, runs once).
#   bench/page_tool_bench.sh [path/to/zelvo-page] [size in bytes]
set -eu
here=$(cd "$(dirname "$0")" && pwd)
tool=${1:-build/tools/zelvo-page}
size=${2:-10485760}
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
python3 "$here/ordinary_page.py" "$dir/page.html" "$size"

best() {  # best wall time in seconds of $runs runs of "$@"
    b=""
    for _ in $(seq "$runs"); do
        t0=$(date +%s.%N)
        "$@" >/dev/null
        t1=$(date +%s.%N)
        b=$(echo "$t0 $t1 $b" | awk '{ d = $2 - $1; if ($3 == "" || d < $3) print d; else print $3 }')
    done
    echo "$b"
}

runs=3
ours=$(best "$tool" --file "$dir/page.html")
runs=1
peer=$(best lynx -dump -force_html -nolist "$dir/page.html")
echo "page: $(stat -c %s "$dir/page.html") bytes"
echo "zelvo-page --file: ${ours} s"
echo "lynx -dump:        ${peer} s"
echo "$ours $peer" | awk '{ printf "ratio (lynx / zelvo-page): %.1f\n", $2 / $1 }'
