#!/bin/sh
# Checks the shipped program: a 32-bit PE for the GUI subsystem that imports
# Windows system DLLs only, with an icon, version information and a manifest.
set -eu
exe=$1
dump=$(i686-w64-mingw32-objdump -p "$exe")
fail() { echo "check-exe: $*" >&2; exit 1; }
echo "$dump" | grep -q 'file format pei-i386' || fail "not a 32-bit PE"
echo "$dump" | grep -Eq '^Subsystem[[:space:]]+00000002' || fail "not the GUI subsystem"
allowed='^(kernel32|user32|gdi32|shell32|ole32|comctl32|advapi32|msvcrt|comdlg32|oleaut32|uxtheme|shlwapi)\.dll$'
dlls=$(echo "$dump" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'A-Z' 'a-z')
[ -n "$dlls" ] || fail "no imports found"
for d in $dlls; do
    echo "$d" | grep -Eq "$allowed" || fail "imports $d, which is not a Windows system DLL"
done
res=$(i686-w64-mingw32-objdump -h "$exe" | grep -c '\.rsrc' || true)
[ "$res" -ge 1 ] || fail "no resources"
for s in 'Pixnadel glyph bitmap maker' 'asInvoker' 'dpiAware'; do
    strings -e l "$exe" | grep -q "$s" || strings "$exe" | grep -q "$s" || fail "resource text '$s' missing"
done
echo "check-exe: $exe is a 32-bit GUI program importing:" $dlls
