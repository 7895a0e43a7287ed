#!/bin/bash
# Checks the Debian package as a distribution's archive would before it takes
# it: the package checker and the software-centre description's validator,
# either of which failing it on any error or warning; every file under /usr
# whatever prefix the build was configured with; the programs stripped of
# symbols and of the compiler's notes. Needs no root and installs nothing.
#   tests/package/check-package.sh build-release/zelvo_3.02_amd64.deb
set -euo pipefail
deb=$(realpath "$1")

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT

echo "+ the package's layout"
dpkg-deb -c "$deb" | awk '{print $6}' >"$WORK/files"
outside=$(grep -v '^\./usr/' "$WORK/files" | grep -vx '\./' || true)
[ -z "$outside" ] || fail "files outside /usr: $outside"
! grep -q '^\./usr/local/' "$WORK/files" || fail "the package installs under /usr/local"
for f in ./usr/share/doc/zelvo/copyright ./usr/share/doc/zelvo/changelog.gz \
    ./usr/share/metainfo/com.quorvane.zelvo.metainfo.xml; do
    grep -qx "$f" "$WORK/files" || fail "${f#.} is missing"
done

dpkg-deb -x "$deb" "$WORK/root"
for program in zelvo zelvo-page; do
    sections=$(readelf -S -W "$WORK/root/usr/bin/$program")
    ! grep -q ' \.comment ' <<<"$sections" || fail "$program keeps its .comment section"
    ! grep -q ' \.symtab ' <<<"$sections" || fail "$program is not stripped"
done

# A new version names itself in all three places, or the software centre and
# the change log speak of an older one.
version=$(dpkg-deb -f "$deb" Version)
logged=$(zcat "$WORK/root/usr/share/doc/zelvo/changelog.gz" | dpkg-parsechangelog -l - -S Version)
[ "$logged" = "$version" ] || fail "the change log's latest entry is $logged, the package $version"
released=$(grep -o '<release version="[^"]*"' "$WORK/root/usr/share/metainfo/com.quorvane.zelvo.metainfo.xml" |
    head -n1 | cut -d'"' -f2)
[ "$released" = "$version" ] || fail "the description's latest release is $released, the package $version"

echo "+ lintian"
root_option=()
[ "$(id -u)" -ne 0 ] || root_option=(--allow-root)
# Information tags are shown but do not fail the check.
lintian "${root_option[@]}" --display-info --fail-on error,warning "$deb" | tee "$WORK/lintian" ||
    fail "lintian reports errors or warnings"
! grep -q '^[EW]: ' "$WORK/lintian" || fail "lintian reports errors or warnings"

echo "+ appstreamcli validate-tree"
# Its addresses stay unfetched: a check never reaches outside this machine.
appstreamcli validate-tree --no-net --strict "$WORK/root" ||
    fail "the software-centre description does not validate"
echo "check-package: all checks passed"
