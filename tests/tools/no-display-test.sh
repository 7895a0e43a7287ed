#!/bin/bash
# zelvo-page runs where there is no display: it must not load the windowing
# libraries (which bring the display, input and bus code with them), and the
# toolkit must have nothing of its own to say on standard error. The TLS
# library waits for the first https address: most runs never need it.
# Usage: no-display-test.sh <zelvo-page>
set -u
tool=$1
status=0

libs=$(ldd "$tool") || { echo "ldd failed on $tool"; exit 1; }
for lib in libQt6Widgets libQt6Gui libX11 libEGL libQt6DBus libssl libcrypto; do
    if grep -q "$lib" <<<"$libs"; then
        echo "zelvo-page loads $lib:"
        grep "$lib" <<<"$libs"
        status=1
    fi
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
: >"$work/empty.html"
# Without a runtime folder, as in a bare session or a service.
env -u XDG_RUNTIME_DIR -u DISPLAY -u WAYLAND_DISPLAY "$tool" --file "$work/empty.html" \
    >"$work/out" 2>"$work/err"
code=$?
if [ "$code" -ne 0 ]; then
    echo "zelvo-page --file on an empty page exited with $code"
    status=1
fi
if [ -s "$work/err" ]; then
    echo "zelvo-page wrote to standard error:"
    cat "$work/err"
    status=1
fi
# An address that nothing answers still goes through the message loop and the
# socket: the toolkit stays quiet there too.
env -u XDG_RUNTIME_DIR -u DISPLAY -u WAYLAND_DISPLAY "$tool" http://127.0.0.1:9/ \
    >"$work/out" 2>"$work/err"
if grep -v '^zelvo-page: ' "$work/err"; then
    echo "zelvo-page wrote more than its own message on standard error"
    status=1
fi
exit $status
