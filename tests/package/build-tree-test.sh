#!/bin/bash
# The README's launch command runs the ticker in its build tree: the shipped
# URL list and the user guide must stand beside it, so that it starts without
# the missing-list warning and Help finds the guide. Runs the built ticker in
# place, with a notification area and automatic retrieval off (nothing is
# fetched, so nothing is written beside it).
#   tests/package/build-tree-test.sh BUILD_DIR/app/zelvo SOURCE_DIR
set -euo pipefail
zelvo=$(realpath "$1")
source_dir=$(realpath "$2")
dir=$(dirname "$zelvo")

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

cmp -s "$source_dir/data/WebURLs.txt" "$dir/WebURLs.txt" || fail "no shipped URL list beside $zelvo"
for f in $(cd "$source_dir/docs/help" && find . -type f); do
    cmp -s "$source_dir/docs/help/$f" "$dir/help/$f" || fail "the guide's $f is not beside $zelvo"
done

WORK=$(mktemp -d)
PIDS=()
cleanup() {
    for ((i = ${#PIDS[@]} - 1; i >= 0; i--)); do kill "${PIDS[i]}" 2>/dev/null || true; done
    # The ticker saves its settings when it is told to end: let it finish
    # before its folder goes.
    for pid in "${PIDS[@]}"; do wait "$pid" 2>/dev/null || true; done
    rm -rf "$WORK"
}
trap cleanup EXIT
export HOME="$WORK/home" XDG_RUNTIME_DIR="$WORK/run"
unset XDG_CONFIG_HOME XDG_STATE_HOME QT_QPA_PLATFORM
mkdir -p "$HOME/.config/Quorvane" && mkdir -m 700 "$XDG_RUNTIME_DIR"
printf '[Zelvo]\nAutoRetrievalOn=0\n' >"$HOME/.config/Quorvane/Zelvo.conf"

exec 5>"$WORK/displayfd"
Xvfb -displayfd 5 -screen 0 1280x800x24 -nolisten tcp >"$WORK/xvfb.log" 2>&1 &
PIDS+=($!)
for _ in $(seq 100); do [ -s "$WORK/displayfd" ] && break; sleep 0.1; done
export DISPLAY=":$(head -n1 "$WORK/displayfd")"
trayer --edge top --align right --widthtype request --height 24 >/dev/null 2>&1 &
PIDS+=($!)
sleep 1

before=$(ls -A "$dir")
"$zelvo" >"$WORK/zelvo.log" 2>&1 &
ticker=$!
PIDS+=($ticker)
strip=""
for _ in $(seq 150); do
    strip=$(xdotool search --onlyvisible --pid "$ticker" --class zelvo 2>/dev/null | head -n1 || true)
    [ -n "$strip" ] && break
    kill -0 "$ticker" 2>/dev/null || break
    sleep 0.1
done
[ -n "$strip" ] || { cat "$WORK/zelvo.log" >&2; fail "the ticker shows no window"; }
sleep 3
for id in $(xdotool search --all --pid "$ticker" --name '' 2>/dev/null || true); do
    name=$(xdotool getwindowname "$id" 2>/dev/null || true)
    case "$name" in
    Warning* | Error*) fail "the ticker in its build tree shows a box at start: \"$name\"" ;;
    esac
done
[ "$(ls -A "$dir")" = "$before" ] || fail "the ticker wrote beside itself without fetching"
echo "build-tree: all checks passed"
