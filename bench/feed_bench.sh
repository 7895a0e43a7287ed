#!/bin/sh
# zelvo-page --file on a generated RSS feed beside xmllint picking the same
# feed's item titles, in the same run: CPU time (user + system) of each, the
# runs paired and interleaved (the order alternating from pair to pair), the
# median of each side, its spread and the ratio; then the same at four times
# the size, to show the reading stays linear.
#   bench/feed_bench.sh [path/to/zelvo-page] [items] [pairs]
set -eu
tool=${1:-build/tools/zelvo-page}
items=${2:-20000}
pairs=${3:-7}
command -v xmllint >/dev/null || { echo "xmllint is missing (apt-get install libxml2-utils)"; exit 2; }
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT

python3 - "$tool" "$items" "$pairs" "$dir" <<'PY'
import os, statistics, subprocess, sys

tool, items, pairs, folder = sys.argv[1], int(sys.argv[2]), int(sys.argv[3]), sys.argv[4]

def write_feed(path, count):
    # An ordinary feed of about 250 bytes an item: titles with an escape and
    # a letter beyond ASCII, a link, a guid, a date and a short escaped
    # description.
    with open(path, "w", encoding="utf-8") as f:
        f.write('<?xml version="1.0" encoding="UTF-8"?>\n<rss version="2.0"><channel>\n'
                "<title>Bench &amp; Co</title><link>http://127.0.0.1/</link>\n")
        for i in range(count):
            f.write("<item><title>Headline %d: caf\u00e9 prices rise &amp; fall</title>"
                    "<link>http://127.0.0.1/n/%d</link>"
                    '<guid isPermaLink="false">id-%d</guid>'
                    "<pubDate>9 Dec 2026 10:%02d</pubDate>"
                    "<description>&lt;p&gt;Story %d, &lt;b&gt;bold&lt;/b&gt;.&lt;/p&gt;"
                    "</description></item>\n" % (i, i, i, i % 60, i))
        f.write("</channel></rss>\n")

def cpu_of(argv):
    with open(os.devnull, "wb") as null:
        child = subprocess.Popen(argv, stdout=null, stderr=null)
        _, status, usage = os.wait4(child.pid, 0)
    if os.waitstatus_to_exitcode(status) != 0:
        sys.exit("failed: %s" % " ".join(argv))
    return usage.ru_utime + usage.ru_stime

def measure(count):
    path = os.path.join(folder, "feed-%d.xml" % count)
    write_feed(path, count)
    ours = [tool, "--file", path]
    peer = ["xmllint", "--xpath", "//item/title/text()", path]
    a, b = [], []
    for k in range(pairs):
        if k % 2 == 0:
            a.append(cpu_of(ours)); b.append(cpu_of(peer))
        else:
            b.append(cpu_of(peer)); a.append(cpu_of(ours))
    ma, mb = statistics.median(a), statistics.median(b)
    ratios = sorted(x / y for x, y in zip(a, b) if y > 0)
    print("feed: %d items, %d bytes, %d pairs" % (count, os.path.getsize(path), pairs))
    print("  zelvo-page --file  CPU median %.3f s (%.3f..%.3f)" % (ma, min(a), max(a)))
    print("  xmllint --xpath    CPU median %.3f s (%.3f..%.3f)" % (mb, min(b), max(b)))
    print("  ratio zelvo-page / xmllint: %.2f (pairs %.2f..%.2f)" % (ma / mb, ratios[0], ratios[-1]))
    return ma

def hostile():
    # Inputs built to make a reader work hard: CPU time and peak memory of
    # one run each.
    cases = {}
    for mb in (1, 2, 4):
        cases["title of %d MB of '&lt;a'" % mb] = (
            "<rss><channel><item><title>" + "&lt;a" * (mb * 262144) + "</title></item></channel></rss>")
    big = "x" * 4000
    cases["entity of 4,000 chars named 100,000 times"] = (
        '<!DOCTYPE rss [<!ENTITY big "' + big + '">]><rss><channel>' +
        "".join("<item><title>" + "&big;" * 100 + "</title></item>" for _ in range(1000)) +
        "</channel></rss>")
    laughs = '<!DOCTYPE rss [<!ENTITY l0 "ha">' + "".join(
        '<!ENTITY l%d "%s">' % (i, ("&l%d;" % (i - 1)) * 10) for i in range(1, 12)) + "]>"
    cases["entities ten times the one before, eleven deep"] = (
        laughs + "<rss><channel><item><title>&l11;</title></item></channel></rss>")
    cases["100,000 nested elements and 100,000 stray end tags"] = (
        "<rss><channel><item><title>x</title>" + "<x>" * 100000 + "</y>" * 100000 +
        "</item></channel></rss>")
    for name, text in cases.items():
        path = os.path.join(folder, "hostile.xml")
        with open(path, "w") as f:
            f.write(text)
        with open(os.devnull, "wb") as null:
            child = subprocess.Popen([tool, "--file", path], stdout=null, stderr=null)
            _, status, usage = os.wait4(child.pid, 0)
        print("  %-52s %7d bytes  CPU %.3f s  peak %d MB" % (
            name, len(text), usage.ru_utime + usage.ru_stime, usage.ru_maxrss // 1024))

small = measure(items)
large = measure(items * 4)
print("growth of zelvo-page's CPU for four times the feed: %.2f" % (large / small))
print("hostile feeds:")
hostile()
PY
