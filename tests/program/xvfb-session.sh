# Shared by the whole-program tests: a private X display and settings folder,
# and helpers to find and answer the program's windows. Sourced, not run.
set -euo pipefail

WORK=$(mktemp -d)
export HOME="$WORK/home" XDG_CONFIG_HOME="$WORK/home/.config"
mkdir -p "$HOME"
unset QT_QPA_PLATFORM
export XDG_RUNTIME_DIR="$WORK/run"
mkdir -p -m 700 "$XDG_RUNTIME_DIR"

# The program keeps its files beside the executable: each test runs its own copy.
mkdir -p "$WORK/bin" "$WORK/site"
cp "$ZELVO" "$WORK/bin/zelvo"
ZELVO="$WORK/bin/zelvo"

exec 5>"$WORK/displayfd"
Xvfb -displayfd 5 -screen 0 1280x800x24 -nolisten tcp >"$WORK/xvfb.log" 2>&1 &
XVFB_PID=$!
for _ in $(seq 100); do
    [ -s "$WORK/displayfd" ] && break
    sleep 0.1
done
export DISPLAY=":$(head -n1 "$WORK/displayfd")"

SERVER_PID=""
# Serves $WORK/site on 127.0.0.1; sets PORT.
start_site() {
    python3 "$(dirname "${BASH_SOURCE[0]}")/pageserver.py" "$WORK/site" >"$WORK/port" &
    SERVER_PID=$!
    for _ in $(seq 100); do
        [ -s "$WORK/port" ] && break
        sleep 0.1
    done
    PORT=$(head -n1 "$WORK/port")
}

cleanup() {
    pkill -KILL -P $$ zelvo 2>/dev/null || true
    [ -n "$SERVER_PID" ] && kill "$SERVER_PID" 2>/dev/null || true
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

# Prints the id of the process's strip: its one mapped window 22 pixels high.
strip_window() {
    local pid=$1 id
    for _ in $(seq 150); do
        for id in $(xdotool search --all --pid "$pid" --onlyvisible --name '' 2>/dev/null); do
            [ "$(geometry "$id" | cut -d' ' -f4)" = 22 ] && { echo "$id"; return 0; }
        done
        kill -0 "$pid" 2>/dev/null || return 1
        sleep 0.1
    done
    return 1
}

title() { xdotool getwindowname "$1"; }

geometry() {
    xwininfo -id "$1" | awk '/Absolute upper-left X/{x=$NF} /Absolute upper-left Y/{y=$NF} /Width:/{w=$NF} /Height:/{h=$NF} END{print x, y, w, h}'
}

setting() {
    sed -n "/^\[$1\]/,/^\[/p" "$XDG_CONFIG_HOME/Quorvane/Zelvo.conf" | sed -n "s/^$2=//p"
}
