#!/bin/sh
# Makes docs/main-window.png: the real main window holding the list of
# samples/chunxiao.txt, captured under Wine on a virtual display.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
if "$root/scripts/can-run-32bit.sh"; then build=$root/build arch=win32; else build=$root/build64 arch=win64; fi
if [ ! -f "$build/CMakeCache.txt" ]; then
    tc=$root/cmake/toolchain-i686-mingw.cmake
    [ "$arch" = win64 ] && tc=$root/cmake/toolchain-x86_64-mingw.cmake
    cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$tc" -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
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
