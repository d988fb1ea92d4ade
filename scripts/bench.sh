#!/bin/sh
# Builds and runs every benchmark under Wine on a virtual display; each prints
# its figures beside a peer measured in the same run.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
. "$root/scripts/pick-build.sh"
cmake --build "$build" -j"$(nproc)"
display=$("$root/scripts/xvfb-start.sh")
trap '"$root/scripts/xvfb-stop.sh" "$display"' EXIT
export DISPLAY=$display
for b in pool_bench load_bench export_bench; do
    echo "== $b"
    "$root/scripts/wine-run.sh" "$build/wineprefix" "$arch" "$build/bench/$b.exe"
done
echo "== glyph_bench"
"$root/scripts/bench-glyph.sh" "$build"
