#!/usr/bin/env bash
# Runs one Windows program under wine64 in a throw-away prefix with its own HOME
# and XDG_DATA_HOME (Wine's Recycle Bin is the freedesktop trash there), so a
# test never touches the user's own prefix or files. Uses $DISPLAY when set,
# else a private Xvfb display.
set -uo pipefail
exe=$1; shift
scratch=$(mktemp -d /tmp/purgello-wine.XXXXXX)
trap 'WINEPREFIX="$scratch/prefix" /usr/lib/wine/wineserver -k >/dev/null 2>&1; rm -rf "$scratch"' EXIT
export WINEPREFIX="$scratch/prefix" HOME="$scratch/home" XDG_DATA_HOME="$scratch/home/.local/share"
export XDG_CONFIG_HOME="$scratch/home/.config" XDG_CACHE_HOME="$scratch/home/.cache"
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINELOADER=/usr/lib/wine/wine64
mkdir -p "$HOME" "$XDG_DATA_HOME"
/usr/lib/wine/wine64 wineboot -i >/dev/null 2>&1
/usr/lib/wine/wineserver -w
if [ -n "${DISPLAY:-}" ]; then
  /usr/lib/wine/wine64 "$exe" "$@"
else
  xvfb-run -a /usr/lib/wine/wine64 "$exe" "$@"
fi
