#!/usr/bin/env bash
# Installs what the builds and tests need on a Debian 12 machine; quick when all is present.
set -euo pipefail
packages=(cmake ninja-build g++ googletest
          g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix binutils-mingw-w64-x86-64 binutils-mingw-w64-i686
          wine64 xvfb xauth file e2fsprogs xdotool imagemagick clang-14 libclang-rt-14-dev
          nsis osslsigncode openssl zip unzip)
installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"; }
missing=()
for p in "${packages[@]}"; do
  installed "$p" || missing+=("$p")
done
# The 32-bit Wine runs the i686 build in a 64-bit prefix, as 64-bit Windows
# runs it. Its i386 archive has lagged behind before: then only it is missing.
need_wine32=
installed wine32:i386 || need_wine32=1
if ((${#missing[@]})) || [ -n "$need_wine32" ]; then
  export DEBIAN_FRONTEND=noninteractive
  if [ -n "$need_wine32" ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
  fi
  apt-get update -q >/dev/null
  if ((${#missing[@]})); then
    echo "setup: installing ${missing[*]}"
    apt-get install -y -q --no-install-recommends "${missing[@]}" >/dev/null
  fi
  if [ -n "$need_wine32" ]; then
    echo "setup: installing wine32:i386"
    apt-get install -y -q --no-install-recommends wine32:i386 >/dev/null 2>&1 || true
  fi
fi
note=$("$(dirname "$0")/wine32-status.sh")
if [ -n "$note" ]; then echo "setup: $note"; fi
