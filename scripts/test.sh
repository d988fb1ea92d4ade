#!/bin/sh
# Builds Pixnadel and runs every test under Wine on a virtual display.
# Installs what is missing first (Debian 12, as root). Usage: scripts/test.sh [ctest args...]
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"

# The shipped program: 32-bit, warnings are errors.
PIXNADEL_CMAKE_ARGS="-DPIXNADEL_WERROR=ON" "$root/scripts/configure.sh" "$root/build"
cmake --build "$root/build" -j"$(nproc)"

# The tests run on the 32-bit build where this machine's kernel runs 32-bit
# programs, and on a 64-bit build of the same sources where it does not.
if "$root/scripts/can-run-32bit.sh"; then
    testbuild=$root/build
else
    echo "test: this kernel cannot run 32-bit programs; the tests run on a 64-bit build under 64-bit Wine"
    (cd "$root/build" && ctest --output-on-failure -L host)
    testbuild=$root/build64
    if [ ! -f "$testbuild/CMakeCache.txt" ]; then
        cmake -S "$root" -B "$testbuild" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-x86_64-mingw.cmake" \
              -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPIXNADEL_WERROR=ON
    fi
    cmake --build "$testbuild" -j"$(nproc)"
fi

# One virtual display for the whole run; tests must not depend on the user's desktop.
display=$("$root/scripts/xvfb-start.sh")
trap '"$root/scripts/xvfb-stop.sh" "$display"' EXIT
export DISPLAY=$display
cd "$testbuild" && ctest --output-on-failure "$@"
