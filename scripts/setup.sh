#!/bin/sh
# Installs what building and testing Pixnadel needs on Debian 12 (run as root).
# Idempotent: returns quickly when everything is already there.
set -eu

need=""
have() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"; }

if ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
    updated=no
fi
for p in cmake make mingw-w64 g++-mingw-w64-i686 wine wine32:i386 wine64 xvfb xauth x11-utils \
         fonts-wqy-microhei fonts-wine locales googletest python3-pil imagemagick; do
    have "$p" || need="$need $p"
done
if [ -n "$need" ]; then
    echo "setup: installing$need"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -q
    apt-get install -y -q --no-install-recommends $need
fi

if ! locale -a 2>/dev/null | grep -qi '^zh_CN\.utf8$'; then
    echo "setup: generating zh_CN.UTF-8"
    sed -i 's/^# *\(zh_CN\.UTF-8 UTF-8\)/\1/' /etc/locale.gen
    grep -q '^zh_CN.UTF-8 UTF-8' /etc/locale.gen || echo 'zh_CN.UTF-8 UTF-8' >> /etc/locale.gen
    locale-gen >/dev/null
fi
