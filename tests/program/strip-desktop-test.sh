#!/bin/bash
# Whole-program test: the strip on a desktop without any notification area.
# It is on every workspace and above other windows, a note (that waits for
# nobody) says where the menu is, and a right click on the ticker opens the
# menu: choosing About from it shows the about box, Always on Top from it
# changes the strip's stacking on the same window.
ZELVO=$1
source "$(dirname "$0")/xvfb-session.sh"

printf 'http://127.0.0.1:9/\r\n' >"$WORK/bin/WebURLs.txt"
mkdir -p "$XDG_CONFIG_HOME/Quorvane"
printf '[Zelvo]\nAutoRetrievalOn=0\n' >"$XDG_CONFIG_HOME/Quorvane/Zelvo.conf"

# As under a Wayland session with its X server: the ticker still uses X.
WAYLAND_DISPLAY=wayland-zelvo-test XDG_SESSION_TYPE=wayland "$ZELVO" & ticker=$!
strip=$(strip_window $ticker) || fail "no strip (or a box holds it up)"

states() { xprop -id "$strip" _NET_WM_STATE; }
[ "$(xprop -id "$strip" _NET_WM_DESKTOP)" = "_NET_WM_DESKTOP(CARDINAL) = 4294967295" ] ||
    fail "not on every workspace: $(xprop -id "$strip" _NET_WM_DESKTOP)"
states | grep -q _NET_WM_STATE_STICKY || fail "not sticky: $(states)"
states | grep -q _NET_WM_STATE_ABOVE || fail "not above others: $(states)"

# The strip carries the same title until its text starts to scroll, so the
# note is the other window of that name.
note=""
for _ in $(seq 150); do
    note=$(xdotool search --all --onlyvisible --pid $ticker --name '^Zelvo$' 2>/dev/null | grep -vx "$strip" | head -n1 || true)
    [ -n "$note" ] && break
    sleep 0.1
done
[ -n "$note" ] || fail "no note about the missing notification area"

# The note waits for nobody: the strip's menu opens while it is up.
open_menu_and_press() {
    local key=$1 before after
    before=$(xdotool search --all --onlyvisible --pid $ticker --name '' 2>/dev/null | wc -l)
    read -r x y w h <<<"$(geometry "$strip")"
    xdotool mousemove --sync $((x + 40)) $((y + h / 2)) click 3
    for _ in $(seq 50); do
        after=$(xdotool search --all --onlyvisible --pid $ticker --name '' 2>/dev/null | wc -l)
        [ "$after" -gt "$before" ] && break
        sleep 0.1
    done
    [ "$after" -gt "$before" ] || fail "a right click on the ticker opened no menu"
    xdotool key "$key"
}

# (Only a window manager acts on the stacking request; without one the
# window must at least stay the same, still on every workspace.)
open_menu_and_press o   # Always on Top
sleep 0.5
after=$(strip_window $ticker) || fail "no strip after Always on Top"
[ "$after" = "$strip" ] || fail "Always on Top made a new window"
states | grep -q _NET_WM_STATE_STICKY || fail "not sticky after Always on Top: $(states)"

open_menu_and_press a   # About
about=""
for _ in $(seq 50); do
    about=$(xdotool search --all --onlyvisible --pid $ticker --name '^About' 2>/dev/null | head -n1 || true)
    [ -n "$about" ] && break
    sleep 0.1
done
[ -n "$about" ] || fail "About from the ticker's menu showed no about box"
kill -KILL $ticker
echo "strip on the desktop: all checks passed"
