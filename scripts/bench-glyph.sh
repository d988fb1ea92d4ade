#!/bin/sh
# Per-glyph cost of an export (glyph_bench under Wine) beside the same files
# made with Pillow (bench/glyph_peer.py), measured in the same run.
# Usage: scripts/bench-glyph.sh [build folder=build64] [count=2000]
set -eu
here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
build=$(cd "${1:-$root/build64}" && pwd)
count=${2:-2000}
case $(sed -n 's/^CMAKE_SIZEOF_VOID_P:INTERNAL=//p' "$build/CMakeCache.txt" 2>/dev/null) in
    4) arch=win32 ;;
    *) arch=win64 ;;
esac

out=$(mktemp -d "$build/glyph-bench.XXXXXX")
started=""
cleanup() {
    rm -rf "$out"
    [ -n "$started" ] && "$here/xvfb-stop.sh" "$started"
    return 0
}
trap cleanup EXIT INT TERM
if [ -z "${DISPLAY:-}" ]; then
    started=$("$here/xvfb-start.sh")
    DISPLAY=$started
    export DISPLAY
fi

mkdir -p "$out/ours" "$out/peer"
winout="Z:$(printf '%s' "$out/ours/" | tr / '\\')"
ours=$("$here/wine-run.sh" "$build/wineprefix" "$arch" "$build/bench/glyph_bench.exe" "$winout" "$count" | tr -d '\r')
peer=$(/usr/bin/python3 "$root/bench/glyph_peer.py" "$out/peer" "$count")
printf '%s\n%s\n' "$ours" "$peer" | grep -v '^RESULT'
printf '%s\n%s\n' "$ours" "$peer" | awk '
    $1 == "RESULT" { wall[$2, $3] = $4; cpu[$2, $3] = $5 }
    END {
        split("80x80 16x16", sizes, " ")
        for (i = 1; i <= 2; i++) {
            s = sizes[i]
            if (!((("ours", s) in wall) && (("peer", s) in wall))) { print "missing figures for " s; exit 1 }
            printf "%s: exportGlyph %.3f ms/glyph, Pillow %.3f ms/glyph, ratio ours/Pillow %.2f (target <= 1.0); our CPU %.3f ms/glyph\n",
                s, wall["ours", s], wall["peer", s], wall["ours", s] / wall["peer", s], cpu["ours", s]
            if ((("pipeline", s) in wall) && (("uithread", s) in wall))
                printf "%s: bare pipeline %.3f ms/glyph on a worker (ratio %.2f), %.3f ms/glyph on the window thread (ratio %.2f)\n",
                    s, wall["pipeline", s], wall["pipeline", s] / wall["peer", s], wall["uithread", s], wall["uithread", s] / wall["peer", s]
        }
    }'
