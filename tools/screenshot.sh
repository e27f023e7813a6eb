#!/usr/bin/env bash
# tools/screenshot.sh WINDOW OUT.png [DPI [LANGUAGE]]
#
# Photographs one of the program's windows, named by its component name
# (SettingsDlg), at DPI (96 when absent): builds the win64 window preview,
# starts it under Wine in a throw-away prefix (tools/wine-run.sh, which sets
# the prefix's LogPixels) on a private virtual X display, waits until the
# window is shown and writes a PNG of just that window with its frame
# (tools/screenshot-common.sh does the Wine and X part). Fails with a message
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
shot_name=screenshot
# shellcheck source-path=SCRIPTDIR
source "$(dirname "$0")/screenshot-common.sh"
shot_check_dpi "$dpi"
case $language in *[!0-9A-Fa-f]*) echo "screenshot: LANGUAGE must be a hex code, not \"$language\"" >&2; exit 2 ;; esac
shot_require_tools
if [ -z "${PURGELLO_SCREENSHOT_INNER:-}" ]; then
  # Purgello.exe too: the About dialog shows its version.
  shot_build_targets window_preview purgello_languages Purgello
  out=$(realpath -m "$out")
fi
shot_on_private_display "$0" "$window" "$out" "$dpi" ${language:+"$language"}

shot_prepare
shot_run "$dpi" "$shot_build/app/window_preview.exe" "$window" "$shot_ready" ${language:+"$language"}
shot_wait_ready "${PURGELLO_SCREENSHOT_TIMEOUT:-120}" "the window \"$window\" did not appear"
shot_photograph "$out" "$window"
