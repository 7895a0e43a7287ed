#!/bin/bash
# The install rules put every file where a distribution expects it: installs
# the build tree into a staging root under /usr and checks what lands there.
#   tests/package/install-layout-test.sh BUILD_DIR
set -euo pipefail
build=$1
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
DESTDIR="$stage" cmake --install "$build" --prefix /usr >"$stage.log" 2>&1 || { cat "$stage.log" >&2; rm -f "$stage.log"; exit 1; }
rm -f "$stage.log"
"$(dirname "$0")/check-files.sh" "$stage"
