#!/bin/sh
# Builds Pixnadel and starts it under Wine. Installs what is missing first
# (Debian 12, as root). Uses your display when $DISPLAY is set; otherwise it
# starts a virtual one and says so.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
"$root/scripts/configure.sh" "$root/build"
cmake --build "$root/build" -j"$(nproc)" --target Pixnadel
exe=$root/build/Pixnadel.exe
prefix=$root/build/wineprefix
arch=win32
if ! "$root/scripts/can-run-32bit.sh"; then
    echo "run: this kernel cannot run 32-bit programs; starting a 64-bit build of Pixnadel instead"
    if [ ! -f "$root/build64/CMakeCache.txt" ]; then
        cmake -S "$root" -B "$root/build64" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-x86_64-mingw.cmake" \
              -DCMAKE_BUILD_TYPE=RelWithDebInfo
    fi
    cmake --build "$root/build64" -j"$(nproc)" --target Pixnadel
    exe=$root/build64/Pixnadel.exe
    prefix=$root/build64/wineprefix
    arch=win64
fi
if [ -z "${DISPLAY:-}" ]; then
    display=$("$root/scripts/xvfb-start.sh")
    trap '"$root/scripts/xvfb-stop.sh" "$display"' EXIT
    export DISPLAY=$display
    echo "run: no display set; Pixnadel runs on the virtual display $display (1024 x 768)"
fi
exec_status=0
"$root/scripts/wine-run.sh" "$prefix" "$arch" "$exe" || exec_status=$?
exit $exec_status
