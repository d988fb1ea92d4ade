#!/bin/sh
# Configures the build folder given as $1 (default: build) if it is not configured yet.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-i686-mingw.cmake" \
          -DCMAKE_BUILD_TYPE=RelWithDebInfo ${PIXNADEL_CMAKE_ARGS:-}
fi
