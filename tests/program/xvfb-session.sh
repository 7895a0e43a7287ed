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

# Starts a private X server on a display number it finds free itself, and
# returns only once a client can really use it: sets X_DISPLAY (":N") and adds
# the server to XVFB_PIDS. Tests run side by side, so no number is ever fixed;
# a server that dies or never answers is replaced. The server does not reset
# when its last client leaves (probes come and go before the program starts).
XVFB_PIDS=()
start_x() {
    local size=${1:-1280x800x24} attempt fdfile pid number
    for attempt in 1 2 3; do
        fdfile="$WORK/displayfd.$RANDOM$RANDOM"
        : >"$fdfile"
        # The number comes on a descriptor of its own, closed in the shell at
        # once so that no later child holds it open.
        exec {fd}>"$fdfile"
        Xvfb -displayfd "$fd" -screen 0 "$size" -nolisten tcp -noreset >>"$WORK/xvfb.log" 2>&1 &
        pid=$!
        exec {fd}>&-
        number=""
        for _ in $(seq 300); do
            number=$(head -n1 "$fdfile" 2>/dev/null || true)
            [ -n "$number" ] && break
            kill -0 "$pid" 2>/dev/null || break
            sleep 0.1
        done
        if [ -n "$number" ]; then
            for _ in $(seq 100); do
                if xdpyinfo -display ":$number" >/dev/null 2>&1; then
                    XVFB_PIDS+=("$pid")
                    X_DISPLAY=":$number"
                    return 0
                fi
                kill -0 "$pid" 2>/dev/null || break
                sleep 0.1
            done
        fi
        echo "X server attempt $attempt failed (display \"$number\")" >>"$WORK/xvfb.log"
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    echo "FAIL: no X server would start: $(tail -c 500 "$WORK/xvfb.log")" >&2
    exit 1
}

# Starts a private session bus whose socket lies in the test's own folder and
# returns once it answers; exports DBUS_SESSION_BUS_ADDRESS. Returns non-zero
# when no bus can run here.
BUS_PID=""
start_bus() {
    command -v dbus-daemon >/dev/null || return 1
    cat >"$WORK/bus.conf" <<BUS
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:dir=$WORK</listen>
  <standard_session_servicedirs/>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
BUS
    dbus-daemon --config-file="$WORK/bus.conf" --fork --nopidfile --print-address=3 \
        --print-pid=4 3>"$WORK/bus" 4>"$WORK/buspid" || return 1
    BUS_PID=$(head -n1 "$WORK/buspid")
    export DBUS_SESSION_BUS_ADDRESS=$(head -n1 "$WORK/bus")
    for _ in $(seq 100); do
        dbus-send --session --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus \
            org.freedesktop.DBus.GetId >/dev/null 2>&1 && return 0
        sleep 0.1
    done
    return 1
}

# No bus but a test's own: a program must never reach the desktop's.
unset DBUS_SESSION_BUS_ADDRESS
start_x
export DISPLAY=$X_DISPLAY
XVFB_PID=${XVFB_PIDS[0]}

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
    [ -n "$BUS_PID" ] && kill "$BUS_PID" 2>/dev/null || true
    local pid
    for pid in "${XVFB_PIDS[@]}"; do kill "$pid" 2>/dev/null || true; done
    for pid in "${XVFB_PIDS[@]}"; do wait "$pid" 2>/dev/null || true; done
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
