#!/bin/sh
# Makes the private Wine prefix $1 (architecture $2: win32 or win64) ready for
# Pixnadel: booted once, the face name "微软雅黑" mapped to WenQuanYi Micro Hei,
# no crash dialog. Safe to call concurrently and repeatedly; quick once ready.
set -eu
prefix=$1
arch=${2:-win32}
mkdir -p "$prefix"
prefix=$(cd "$prefix" && pwd)
[ -f "$prefix/.pixnadel-ready-2" ] && exit 0

exec 9>"$prefix.lock"
flock 9
[ -f "$prefix/.pixnadel-ready-2" ] && exit 0

here=$(cd "$(dirname "$0")" && pwd)
export WINEPREFIX="$prefix" WINEARCH=$arch WINEDEBUG=-all LANG=zh_CN.UTF-8
export WINEDLLOVERRIDES="mscoree,mshtml="
wine=$("$here/wine-bin.sh" "$arch")
echo "wineprefix: creating $prefix ($arch, first time only, about 15 s)" >&2
"$wine" wineboot -i >/dev/null 2>&1 || true
"$wine" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v '微软雅黑' /t REG_SZ /d 'WenQuanYi Micro Hei' /f >/dev/null 2>&1
"$wine" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
# Wine draws the window frames itself, as Windows does, with or without a window manager.
"$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
wineserver -w
touch "$prefix/.pixnadel-ready-2"
