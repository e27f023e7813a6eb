#!/usr/bin/env bash
# tools/screenshot.sh WINDOW OUT.png [DPI [LANGUAGE]]
#
# Photographs one of the program's windows, named by its component name
# (SettingsDlg), at DPI (96 when absent): builds the win64 window preview,
# starts it under Wine in a throw-away prefix (tools/wine-run.sh, which sets
# the prefix's LogPixels) on a private virtual X display, waits until the
# window is shown and writes a PNG of just that window with its frame (with no
# window manager on the display, Wine draws the caption and borders itself, as
# Windows would). Fails with a message
# when the window does not appear within PURGELLO_SCREENSHOT_TIMEOUT seconds
# (120 by default). PURGELLO_SCREENSHOT_BUILD names another win64 build folder.
# LANGUAGE, a language code in hex (40C), shows the window in that language
# from the language files of the build.
set -euo pipefail
if [ $# -lt 2 ] || [ $# -gt 4 ]; then
  echo "usage: tools/screenshot.sh WINDOW OUT.png [DPI [LANGUAGE]]" >&2
  exit 2
fi
window=$1 out=$2 dpi=${3:-96} language=${4:-}
case $dpi in '' | *[!0-9]*) echo "screenshot: DPI must be a number, not \"$dpi\"" >&2; exit 2 ;; esac
case $language in *[!0-9A-Fa-f]*) echo "screenshot: LANGUAGE must be a hex code, not \"$language\"" >&2; exit 2 ;; esac
root=$(cd "$(dirname "$0")/.." && pwd)
for tool in xvfb-run xdotool import; do
  command -v "$tool" >/dev/null || { echo "screenshot: $tool is missing (tools/setup.sh installs it)" >&2; exit 1; }
done

build=${PURGELLO_SCREENSHOT_BUILD:-$root/build/win64}
# Then again on a private display, large enough for any window at 200% and in
# true colour, so that nothing else is on it and nothing covers the window.
if [ -z "${PURGELLO_SCREENSHOT_INNER:-}" ]; then
  if [ ! -f "$build/build.ninja" ]; then (cd "$root" && cmake --preset win64 >/dev/null); fi
  # Purgello.exe too: the About dialog shows its version.
  cmake --build "$build" --target window_preview purgello_languages Purgello >/dev/null
  out=$(realpath -m "$out")
  exec env PURGELLO_SCREENSHOT_INNER=1 xvfb-run -a -s "-screen 0 2400x1800x24 -nolisten tcp" "$0" "$window" "$out" "$dpi" $language
fi

scratch=$(mktemp -d /tmp/purgello-screenshot.XXXXXX)
runner=
finish() {
  # Removing the ready file tells the preview to close its window.
  rm -f "$scratch/ready"
  [ -n "$runner" ] && { timeout 30 tail --pid="$runner" -f /dev/null || kill "$runner" 2>/dev/null; } || true
  rm -rf "$scratch"
}
trap finish EXIT

PURGELLO_WINE_DPI=$dpi PURGELLO_WINE_FRAMES=1 "$root/tools/wine-run.sh" "$build/app/window_preview.exe" "$window" \
  "Z:$(printf '%s' "$scratch/ready" | tr / '\\')" $language >"$scratch/output" 2>&1 &
runner=$!
timeout=${PURGELLO_SCREENSHOT_TIMEOUT:-120}
for ((tick = 0; tick < timeout * 5; ++tick)); do
  [ -s "$scratch/ready" ] && break
  kill -0 "$runner" 2>/dev/null || break
  sleep 0.2
done
if [ ! -s "$scratch/ready" ]; then
  echo "screenshot: the window \"$window\" did not appear" >&2
  grep -v '^$' "$scratch/output" >&2 || true
  exit 1
fi

# Wine names the X window after the window's caption.
caption=$(cat "$scratch/ready")
xid=
for id in $(xdotool search --onlyvisible --name '.*' 2>/dev/null); do
  if [ "$(xdotool getwindowname "$id")" = "$caption" ]; then xid=$id; break; fi
done
if [ -z "$xid" ]; then
  echo "screenshot: no X window titled \"$caption\" for \"$window\"" >&2
  exit 1
fi
# The pointer off the window, so that no control is drawn hot.
xdotool mousemove 0 0
import -window "$xid" "$out"
echo "$out"
