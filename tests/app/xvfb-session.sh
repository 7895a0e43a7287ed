# Shared by the whole-program tests: a private X display and settings folder,
# and helpers to find and answer the program's windows. Sourced, not run.
set -euo pipefail

WORK=$(mktemp -d)
export HOME="$WORK/home" XDG_CONFIG_HOME="$WORK/home/.config"
mkdir -p "$HOME"
unset QT_QPA_PLATFORM
export XDG_RUNTIME_DIR="$WORK/run"
mkdir -p -m 700 "$XDG_RUNTIME_DIR"

exec 5>"$WORK/displayfd"
Xvfb -displayfd 5 -screen 0 1280x800x24 -nolisten tcp >"$WORK/xvfb.log" 2>&1 &
XVFB_PID=$!
for _ in $(seq 100); do
    [ -s "$WORK/displayfd" ] && break
    sleep 0.1
done
export DISPLAY=":$(head -n1 "$WORK/displayfd")"

cleanup() {
    pkill -KILL -P $$ zelvo 2>/dev/null || true
    kill "$XVFB_PID" 2>/dev/null || true
    rm -rf "$WORK"
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# Prints the id of the first window of the process whose title matches, waiting for it.
wait_window() {
    local pid=$1 title=$2 id=""
    for _ in $(seq 150); do
        id=$(xdotool search --all --pid "$pid" --name "$title" 2>/dev/null | head -n1 || true)
        [ -n "$id" ] && { echo "$id"; return 0; }
        kill -0 "$pid" 2>/dev/null || return 1
        sleep 0.1
    done
    return 1
}

# Presses Return in a message box of the process.
answer_box() {
    local pid=$1 title=$2 id
    id=$(wait_window "$pid" "$title") || fail "no \"$title\" box from $pid"
    xdotool windowfocus --sync "$id" key --clearmodifiers Return
}

geometry() {
    xwininfo -id "$1" | awk '/Absolute upper-left X/{x=$NF} /Absolute upper-left Y/{y=$NF} /Width:/{w=$NF} /Height:/{h=$NF} END{print x, y, w, h}'
}

setting() {
    sed -n "/^\[$1\]/,/^\[/p" "$XDG_CONFIG_HOME/Quorvane/Zelvo.conf" | sed -n "s/^$2=//p"
}
