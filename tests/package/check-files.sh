#!/bin/bash
# Checks the installed files under a staging root as a distribution would:
# every file in its place, the icons at their sizes, the menu entry and the
# software-centre description valid, the manual pages free of warnings, the
# shipped URL list byte for byte.
#   tests/package/check-files.sh ROOT    (ROOT holds usr/bin/zelvo and the rest)
set -euo pipefail
root=$(realpath "$1")

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

for f in /usr/bin/zelvo /usr/bin/zelvo-page \
    /usr/share/applications/zelvo.desktop \
    /usr/share/icons/hicolor/scalable/apps/zelvo.svg \
    /usr/share/man/man1/zelvo.1.gz /usr/share/man/man1/zelvo-page.1.gz \
    /usr/share/zelvo/WebURLs.txt \
    /usr/share/doc/zelvo/help/index.html /usr/share/doc/zelvo/help/zelvo.css \
    /usr/share/doc/zelvo/copyright /usr/share/doc/zelvo/changelog.gz \
    /usr/share/metainfo/com.quorvane.zelvo.metainfo.xml; do
    [ -f "$root$f" ] || fail "$f is missing"
done
[ -x "$root/usr/bin/zelvo" ] && [ -x "$root/usr/bin/zelvo-page" ] || fail "the programs are not executable"

# Every picture the guide shows is shipped with it.
for img in $(grep -o 'src="[^"]*"' "$root/usr/share/doc/zelvo/help/index.html" | sed 's/^src="//; s/"$//'); do
    [ -f "$root/usr/share/doc/zelvo/help/$img" ] || fail "the guide's $img is missing"
done

for size in 16 22 24 32 48 64 128 256; do
    png=$root/usr/share/icons/hicolor/${size}x${size}/apps/zelvo.png
    [ -f "$png" ] || fail "the ${size} px icon is missing"
    # Width and height stand at bytes 16 to 23 of a PNG file.
    read -r w h < <(python3 -c 'import struct,sys; d=open(sys.argv[1],"rb").read(24); print(*struct.unpack(">II", d[16:24]))' "$png")
    [ "$w" = "$size" ] && [ "$h" = "$size" ] || fail "the ${size} px icon is ${w}x${h}"
done
python3 -c 'import sys, xml.dom.minidom; xml.dom.minidom.parse(sys.argv[1])' \
    "$root/usr/share/icons/hicolor/scalable/apps/zelvo.svg" || fail "the scalable icon is not well-formed"

desktop=$root/usr/share/applications/zelvo.desktop
desktop-file-validate "$desktop" || fail "the menu entry does not validate"
grep -qx 'Exec=zelvo' "$desktop" && grep -qx 'Icon=zelvo' "$desktop" || fail "the menu entry's command or icon"

# Offline: a check never reaches outside this machine, so the screenshot's
# address is taken as written.
appstreamcli validate-tree --no-net --strict "$root" >/dev/null ||
    fail "the software-centre description does not validate: $(appstreamcli validate-tree --no-net --strict "$root" 2>&1)"

for page in zelvo zelvo-page; do
    warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$root/usr/share/man/man1/$page.1.gz" 2>&1 >/dev/null)
    [ -z "$warnings" ] || fail "man $page: $warnings"
done

printf 'http://feeds.bbci.co.uk/news/rss.xml\r\nhttp://feeds.npr.org/1001/rss.xml\r\nhttp://feeds.bbci.co.uk/sport/rss.xml\r\nhttp://www.quorvane.com/\r\n' |
    cmp -s - "$root/usr/share/zelvo/WebURLs.txt" || fail "the shipped URL list differs"
echo "check-files: all checks passed"
