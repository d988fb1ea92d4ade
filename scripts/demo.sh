#!/bin/sh
# The demo of the main job, with no person at the screen: the real program
# under Wine loads samples/poems-gb2312.txt, exports every character as a BMP
# into out/demo/, and the BMPs are laid out as docs/demo-contact-sheet.png.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
. "$root/scripts/pick-build.sh"
cmake --build "$build" -j"$(nproc)" --target demo
out=$root/out/demo
rm -rf "$out"
mkdir -p "$out"
display=$("$root/scripts/xvfb-start.sh")
trap '"$root/scripts/xvfb-stop.sh" "$display"' EXIT
winpath() { printf 'Z:%s' "$1" | tr / '\\'; }
DISPLAY=$display "$root/scripts/wine-run.sh" "$build/wineprefix" "$arch" "$build/demo.exe" \
    "$(winpath "$root/samples/poems-gb2312.txt")" "$(winpath "$out")\\" "${1:-0}"
/usr/bin/python3 "$root/scripts/contact-sheet.py" "$out" "$root/samples/poems-gb2312.txt" "$root/docs/demo-contact-sheet.png"
