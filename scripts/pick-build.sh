# Sourced by the scripts that run programs under Wine: sets $build and $arch to
# the build folder the machine can run (32-bit where the kernel runs 32-bit
# programs, else the 64-bit build of the same sources) and configures it.
if "$root/scripts/can-run-32bit.sh"; then build=$root/build arch=win32 tc=i686; else build=$root/build64 arch=win64 tc=x86_64; fi
if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-$tc-mingw.cmake" \
          -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
