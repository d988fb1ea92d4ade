#!/bin/sh
# Makes docs/main-window.png: the real main window holding the list of
# samples/chunxiao.txt, captured under Wine on a virtual display.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
. "$root/scripts/pick-build.sh"
cmake --build "$build" -j"$(nproc)" --target readme_screenshot
display=$("$root/scripts/xvfb-start.sh")
trap '"$root/scripts/xvfb-stop.sh" "$display"' EXIT
out=$(mktemp -d)
winpath() { printf 'Z:%s' "$1" | tr / '\\'; }
DISPLAY=$display "$root/scripts/wine-run.sh" "$build/wineprefix" "$arch" "$build/readme_screenshot.exe" \
    "$(winpath "$root/samples/chunxiao.txt")" "$(winpath "$out/main.bmp")"
/usr/bin/python3 -c "from PIL import Image; import sys; Image.open(sys.argv[1]).save(sys.argv[2])" "$out/main.bmp" "$root/docs/main-window.png"
rm -rf "$out"
echo "readme-screenshot: wrote docs/main-window.png"
