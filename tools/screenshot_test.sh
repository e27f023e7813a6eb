#!/usr/bin/env bash
# The screenshot tool end to end (CTest runs it in the win64 build): the
# settings dialog comes out as a PNG of its size at 96 DPI, and a window name
# that opens nothing fails with a message and leaves no picture.
set -uo pipefail
export PURGELLO_SCREENSHOT_BUILD=$1
tools=$(dirname "$0")
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
status=0

if ! "$tools/screenshot.sh" SettingsDlg "$scratch/settings.png" >"$scratch/log" 2>&1; then
  echo "FAIL: screenshot of SettingsDlg"; cat "$scratch/log"; status=1
else
  size=$(file -b "$scratch/settings.png" | sed -n 's/^PNG image data, \([0-9]*\) x \([0-9]*\),.*/\1 \2/p')
  read -r width height <<<"${size:-0 0}"
  # The dialog's client area is 770 x 500 at design size.
  if [ "$width" -lt 700 ] || [ "$width" -gt 900 ] || [ "$height" -lt 450 ] || [ "$height" -gt 600 ]; then
    echo "FAIL: SettingsDlg came out as \"$(file -b "$scratch/settings.png")\""; status=1
  fi
fi

if "$tools/screenshot.sh" NoSuchDlg "$scratch/none.png" >"$scratch/log" 2>&1; then
  echo "FAIL: a window that does not exist was reported as photographed"; status=1
elif ! grep -q 'did not appear' "$scratch/log" || [ -e "$scratch/none.png" ]; then
  echo "FAIL: no clear failure for a window that does not exist:"; cat "$scratch/log"; status=1
fi
[ $status -eq 0 ] && echo "screenshot tool: 2 passed, 0 failed"
exit $status
