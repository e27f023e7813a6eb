#!/usr/bin/env bash
# Runs one Windows program under Wine in a throw-away 64-bit prefix with its own
# HOME and XDG_DATA_HOME (Wine's Recycle Bin is the freedesktop trash there), so
# a test never touches the user's own prefix or files. A 32-bit program runs
# through the prefix's 32-bit layer (WOW64), as on 64-bit Windows; where that
# layer cannot run it exits 77 (skipped) with the reason. Uses $DISPLAY when
# set, else a private Xvfb display (tools/start-xvfb.sh).
set -uo pipefail
exe=$1; shift
loader=/usr/lib/wine/wine64
if ! file -b "$exe" | grep -q '^PE32+'; then
  note=$("$(dirname "$0")/wine32-status.sh")
  if [ -n "$note" ]; then echo "$note"; exit 77; fi
  loader=/usr/lib/wine/wine
fi
source "$(dirname "$0")/start-xvfb.sh"
scratch=$(mktemp -d /tmp/purgello-wine.XXXXXX)
# Wine's processes go before the display they draw on.
trap 'WINEPREFIX="$scratch/prefix" /usr/lib/wine/wineserver -k >/dev/null 2>&1; rm -rf "$scratch"; xvfb_stop' EXIT
export WINEPREFIX="$scratch/prefix" WINEARCH=win64 HOME="$scratch/home" XDG_DATA_HOME="$scratch/home/.local/share"
export XDG_CONFIG_HOME="$scratch/home/.config" XDG_CACHE_HOME="$scratch/home/.cache"
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
mkdir -p "$HOME" "$XDG_DATA_HOME"
# The 64-bit loader makes the prefix (system32 and syswow64); a process finds
# the loader of the other architecture from WINELOADER.
WINELOADER=/usr/lib/wine/wine64 /usr/lib/wine/wine64 wineboot -i >/dev/null 2>&1
/usr/lib/wine/wineserver -w
# The DPI the program's windows see, when asked for (window tests, screenshots).
if [ -n "${PURGELLO_WINE_DPI:-}" ]; then
  WINELOADER=/usr/lib/wine/wine64 /usr/lib/wine/wine64 reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$PURGELLO_WINE_DPI" /f >/dev/null 2>&1
  /usr/lib/wine/wineserver -w
fi
# Windows drawn with their caption and borders by Wine, not left to a window
# manager (screenshots: the virtual display has none).
if [ -n "${PURGELLO_WINE_FRAMES:-}" ]; then
  WINELOADER=/usr/lib/wine/wine64 /usr/lib/wine/wine64 reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /t REG_SZ /d N /f >/dev/null 2>&1
  /usr/lib/wine/wineserver -w
fi
export WINELOADER=$loader
"$loader" "$exe" "$@"
