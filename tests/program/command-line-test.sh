#!/bin/bash
# Whole-program test: the command line is read before anything needs a
# display. --help and --version answer on standard output with status 0,
# anything else is refused with one line on standard error and status 2,
# and none of them leaves a setting or a file behind.
set -u
ZELVO=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
status=0
fail() {
    echo "FAIL: $*"
    status=1
}

run() {
    env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM -u DBUS_SESSION_BUS_ADDRESS \
        HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" XDG_RUNTIME_DIR="$work/run" \
        timeout 20 "$ZELVO" "$@" >"$work/out" 2>"$work/err"
}

run --help
code=$?
[ "$code" = 0 ] || fail "--help exited with $code: $(cat "$work/err")"
grep -q '^usage: zelvo' "$work/out" || fail "--help printed no usage: $(cat "$work/out")"
grep -q -- '--version' "$work/out" || fail "--help does not list --version"
[ -s "$work/err" ] && fail "--help wrote to standard error: $(cat "$work/err")"

run --version
code=$?
[ "$code" = 0 ] || fail "--version exited with $code: $(cat "$work/err")"
grep -Eqx 'zelvo [0-9]+\.[0-9]+' "$work/out" || fail "--version printed: $(cat "$work/out")"
[ -s "$work/err" ] && fail "--version wrote to standard error: $(cat "$work/err")"

for bad in --frobnicate -x stray -session; do
    run "$bad"
    code=$?
    [ "$code" = 2 ] || fail "\"$bad\" exited with $code"
    [ -s "$work/out" ] && fail "\"$bad\" wrote to standard output"
    [ "$(wc -l <"$work/err")" = 1 ] || fail "\"$bad\" gave not one line: $(cat "$work/err")"
    grep -q -- "$bad" "$work/err" || fail "\"$bad\" is not named: $(cat "$work/err")"
done

[ -e "$work/home/.config/Quorvane" ] && fail "a refused or answered start touched the settings"
[ "$status" = 0 ] && echo "command line: all checks passed"
exit $status
