#!/bin/bash
# Processor time of the ticker while it scrolls a feed's headlines under a
# private X server, with smooth scrolling and with character steps, at the
# default speed (250 ms, 2 characters a tick). Prints each mode's share of
# one core over the measured span.
#   bench/scroll_cpu_bench.sh [path/to/zelvo] [seconds]
here=$(cd "$(dirname "$0")" && pwd)
ZELVO=$(realpath "${1:-build/app/zelvo}")
SECONDS_MEASURED=${2:-30}
source "$here/../tests/program/xvfb-session.sh"

start_site
base="http://127.0.0.1:$PORT"
{
    echo '<?xml version="1.0" encoding="utf-8"?><rss version="2.0"><channel><title>Bench</title>'
    for i in $(seq 60); do
        echo "<item><title>Headline number $i about the weather, the markets and the river bridge</title><link>$base/$i.html</link></item>"
    done
    echo '</channel></rss>'
} >"$WORK/site/feed.xml"
printf '%s/feed.xml\r\n' "$base" >"$WORK/bin/WebURLs.txt"
mkdir -p "$XDG_CONFIG_HOME/Quorvane"

ticks() {  # user + system clock ticks of a process
    awk '{ print $14 + $15 }' "/proc/$1/stat"
}

measure() {
    local smooth=$1 ticker strip before after hz
    cat >"$XDG_CONFIG_HOME/Quorvane/Zelvo.conf" <<CONF
[Zelvo]
WebSite1=$base/feed.xml
Site2Enabled=0
Site3Enabled=0
RetrievalInterval=60
SmoothScroll=$smooth
CONF
    "$ZELVO" & ticker=$!
    strip=$(strip_window $ticker) || fail "no strip"
    for _ in $(seq 100); do
        grep -q Headline <<<"$(title "$strip")" && break
        sleep 0.1
    done
    grep -q Headline <<<"$(title "$strip")" || fail "the feed does not scroll"
    sleep 3
    hz=$(getconf CLK_TCK)
    before=$(ticks $ticker)
    sleep "$SECONDS_MEASURED"
    after=$(ticks $ticker)
    kill -KILL $ticker
    wait $ticker 2>/dev/null || true
    awk -v t=$((after - before)) -v hz="$hz" -v s="$SECONDS_MEASURED" -v m="$2" \
        'BEGIN { printf "%-20s %6.2f %% of a core (%d ticks of 1/%d s in %d s)\n", m, 100 * t / hz / s, t, hz, s }'
}

measure 1 "smooth scrolling"
measure 0 "character steps"
