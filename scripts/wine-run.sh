#!/bin/sh
# Runs a Windows program under Wine in Pixnadel's private prefix.
# Usage: wine-run.sh <prefix-dir> <win32|win64> <program.exe> [args...]
# Uses $DISPLAY when set, otherwise a virtual display of its own.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
prefix=$1
arch=$2
shift 2
"$here/wineprefix.sh" "$prefix" "$arch"
export WINEPREFIX="$(cd "$prefix" && pwd)" WINEARCH=$arch WINEDEBUG=${WINEDEBUG:--all}
export LANG=zh_CN.UTF-8 WINEDLLOVERRIDES="mscoree,mshtml="
wine=$("$here/wine-bin.sh" "$arch")
if [ -z "${DISPLAY:-}" ]; then
    exec xvfb-run -a -s "-screen 0 1024x768x24 -nolisten tcp" "$wine" "$@"
fi
exec "$wine" "$@"
