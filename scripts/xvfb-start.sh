#!/bin/sh
# Starts a virtual display (1024 x 768, 24 bits) on a free number; prints it, e.g. ":57".
set -eu
n=90
while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
i=0
while ! xdpyinfo -display ":$n" >/dev/null 2>&1; do
    i=$((i + 1))
    [ $i -gt 100 ] && { echo "xvfb-start: no display :$n" >&2; exit 1; }
    sleep 0.1
done
echo ":$n"
