#!/bin/sh
# Stops the virtual display $1 started by xvfb-start.sh.
n=${1#:}
[ -f "/tmp/.X$n-lock" ] && kill "$(tr -d ' ' < "/tmp/.X$n-lock")" 2>/dev/null
exit 0
