#!/usr/bin/env bash
# tools/screenshot-session.sh OUT.png [DPI [MOMENT]]
#
# Photographs the real Purgello.exe's main window at DPI (96 when absent) at
# MOMENT: "simulate" (the default), the list filled by a "Simulate", or
# "automatic", automatic mode just armed with its countdown, or "analysis",
# while the analysis of a Clean lists thousands of files. Runs the
# Purgello.exe session test that drives the window there (planted temporary
# files, expert mode) under Wine on a private virtual X display; the test
# holds the window at that moment, writes its caption into a file named by
# PURGELLO_SESSION_SHOT and goes on when that file is removed. PURGELLO_SCREENSHOT_BUILD names another win64 build folder.
set -euo pipefail
if [ $# -lt 1 ] || [ $# -gt 3 ]; then
  echo "usage: tools/screenshot-session.sh OUT.png [DPI [MOMENT]]" >&2
  exit 2
fi
out=$1 dpi=${2:-96} moment=${3:-simulate}
case $moment in
  simulate) test=PurgelloSessionTest.SimulateListsTheFilesAndCleanKeepsTheOneUnticked ;;
  automatic) test=PurgelloSessionTest.AutoButtonAsksArmsAndItsDueRunCleans ;;
  analysis) test=PurgelloSessionTest.CloseDuringAnAnalysisEndsWithoutCleaning ;;
  *) echo "screenshot-session: MOMENT is simulate, automatic or analysis, not \"$moment\"" >&2; exit 2 ;;
esac
case $dpi in '' | *[!0-9]*) echo "screenshot-session: DPI must be a number, not \"$dpi\"" >&2; exit 2 ;; esac
root=$(cd "$(dirname "$0")/.." && pwd)
for tool in xvfb-run xdotool import; do
  command -v "$tool" >/dev/null || { echo "screenshot-session: $tool is missing (tools/setup.sh installs it)" >&2; exit 1; }
done
build=${PURGELLO_SCREENSHOT_BUILD:-$root/build/win64}
if [ -z "${PURGELLO_SCREENSHOT_INNER:-}" ]; then
  if [ ! -f "$build/build.ninja" ]; then (cd "$root" && cmake --preset win64 >/dev/null); fi
  cmake --build "$build" --target purgello_exe_test >/dev/null
  out=$(realpath -m "$out")
  exec env PURGELLO_SCREENSHOT_INNER=1 xvfb-run -a -s "-screen 0 2400x1800x24 -nolisten tcp" "$0" "$out" "$dpi" "$moment"
fi

scratch=$(mktemp -d /tmp/purgello-session-shot.XXXXXX)
runner=
finish() {
  rm -f "$scratch/ready"
  [ -n "$runner" ] && { timeout 60 tail --pid="$runner" -f /dev/null || kill "$runner" 2>/dev/null; } || true
  rm -rf "$scratch"
}
trap finish EXIT

PURGELLO_SESSION_SHOT="Z:$(printf '%s' "$scratch/ready" | tr / '\\')" PURGELLO_SESSION_SHOT_AT=$moment PURGELLO_WINE_DPI=$dpi PURGELLO_WINE_FRAMES=1 \
  "$root/tools/wine-run.sh" "$build/app/purgello_exe_test.exe" \
  --gtest_filter="$test" >"$scratch/output" 2>&1 &
runner=$!
for ((tick = 0; tick < 120 * 5; ++tick)); do
  [ -s "$scratch/ready" ] && break
  kill -0 "$runner" 2>/dev/null || break
  sleep 0.2
done
if [ ! -s "$scratch/ready" ]; then
  echo "screenshot-session: the main window was not held for its picture" >&2
  grep -v '^$' "$scratch/output" >&2 || true
  exit 1
fi
caption=$(cat "$scratch/ready")
xid=
for id in $(xdotool search --onlyvisible --name '.*' 2>/dev/null); do
  if [ "$(xdotool getwindowname "$id")" = "$caption" ]; then xid=$id; break; fi
done
if [ -z "$xid" ]; then
  echo "screenshot-session: no X window titled \"$caption\"" >&2
  exit 1
fi
xdotool mousemove 0 0
import -window "$xid" "$out"
echo "$out"
