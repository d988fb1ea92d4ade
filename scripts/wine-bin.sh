#!/bin/sh
# Prints the Wine loader for architecture $1 (win32 or win64).
case "${1:-win32}" in
    win64) for w in /usr/lib/wine/wine64 /usr/bin/wine64; do [ -x "$w" ] && { echo "$w"; exit 0; }; done ;;
    *)     for w in /usr/bin/wine /usr/lib/wine/wine; do [ -x "$w" ] && { echo "$w"; exit 0; }; done ;;
esac
echo "wine-bin: no Wine loader for ${1:-win32}" >&2
exit 1
