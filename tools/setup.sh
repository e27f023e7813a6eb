#!/usr/bin/env bash
# Installs what the builds and tests need on a Debian 12 machine; quick when all is present.
set -euo pipefail
packages=(cmake ninja-build g++ googletest
          g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix binutils-mingw-w64-x86-64 binutils-mingw-w64-i686
          wine64 xvfb xauth file e2fsprogs)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "setup: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -q >/dev/null
  apt-get install -y -q --no-install-recommends "${missing[@]}" >/dev/null
fi
