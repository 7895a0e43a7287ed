#!/bin/bash
# Installs the Debian package on this machine (as root) and checks what it
# brings: its dependencies, found from the libraries the programs link, and
# every file in its place. check-first-start.sh then starts the programs from
# it.
#   tests/package/check-installed.sh build-release/zelvo_3.02_amd64.deb
set -euo pipefail

deb=$(realpath "$1")
here=$(cd "$(dirname "$0")" && pwd)
[ "$(id -u)" -eq 0 ] || { echo "check-installed: run as root" >&2; exit 2; }

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

echo "+ installing $deb"
DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "$deb" ||
    fail "the package does not install"

echo "+ the package's dependencies"
depends=$(dpkg-deb -f "$deb" Depends)
echo "  Depends: $depends"
# Each name of an alternative ("a | b") counts.
names=$(sed 's/ *([^)]*)//g; s/, */\n/g; s/ *| */\n/g' <<<"$depends")
for lib in libc6 libstdc++6 libqt6core6 libqt6gui6 libqt6widgets6 libssl3 xdg-utils; do
    grep -Fxq "$lib" <<<"$names" || fail "Depends lacks $lib"
done

echo "+ the package's files"
# Read from the package itself: a minimal system may be set to leave manual
# pages out when it installs one.
dpkg-deb -x "$deb" "$WORK/root"
"$here/check-files.sh" "$WORK/root"
for f in /usr/bin/zelvo /usr/bin/zelvo-page /usr/share/zelvo/WebURLs.txt /usr/share/doc/zelvo/help/index.html; do
    [ -f "$f" ] || fail "$f is not installed"
done
echo "PASS: the package installs with its files in place"
