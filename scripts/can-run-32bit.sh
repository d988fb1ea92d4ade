#!/bin/sh
# Exit 0 when this machine can run 32-bit Wine (the kernel runs 32-bit programs).
w=$("$(dirname "$0")/wine-bin.sh" win32 2>/dev/null) || exit 1
"$w" --version >/dev/null 2>&1
