#!/bin/sh
# A day's memory: the retrieval cycle fetches a 300 KB page and a feed of
# fifty headlines from a server on loopback, in turn, ROUNDS times in one
# process (build/bench/day_memory_bench), and prints the resident set every
# hundred rounds. The aim: from round 100 to round 1,000 within 1 MB.
#   bench/day_memory_bench.sh [path/to/day_memory_bench] [rounds=1000]
set -eu
here=$(cd "$(dirname "$0")" && pwd)
bench=${1:-build/bench/day_memory_bench}
rounds=${2:-1000}
dir=$(mktemp -d)
python3 "$here/ordinary_page.py" "$dir/page.html" 307200
python3 - "$dir/feed.xml" <<'PY'
import sys
with open(sys.argv[1], "w", encoding="utf-8") as f:
    f.write('<?xml version="1.0" encoding="UTF-8"?>\n<rss version="2.0"><channel>\n'
            "<title>Day &amp; Night</title><link>http://127.0.0.1/</link>\n")
    for i in range(50):
        f.write("<item><title>Headline %d: caf\u00e9 prices rise &amp; fall</title>"
                "<link>http://127.0.0.1/n/%d</link><guid>id-%d</guid>"
                "<description>&lt;p&gt;Story %d.&lt;/p&gt;</description></item>\n" % (i, i, i, i))
    f.write("</channel></rss>\n")
PY
. "$here/serve_folder.sh"
"$bench" "http://127.0.0.1:$port/page.html" "http://127.0.0.1:$port/feed.xml" "$rounds"
