#!/usr/bin/env bash
# tools/screenshot-session.sh OUT.png [DPI [MOMENT]]
#
# Photographs a window of the real Purgello.exe at DPI (96 when absent) at
# MOMENT: "simulate" (the default), the list filled by a "Simulate", or
# "automatic", automatic mode just armed with its countdown, or "analysis",
# while the analysis of a Clean lists thousands of files; or in French:
# "french-settings", the first-run settings dialog just after French was
# clicked in its language list, or "french-main", the main window of the
# next start (tools/screenshot.sh shows the About dialog in French). Runs the
# Purgello.exe test that drives the window there (planted temporary files,
# expert mode; or the shipped language files) under Wine on a private virtual
# X display; the test
# holds the window at that moment, writes its caption into a file named by
# PURGELLO_SESSION_SHOT and goes on when that file is removed
# (tools/screenshot-common.sh does the Wine and X part).
# PURGELLO_SCREENSHOT_BUILD names another win64 build folder.
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
  french-settings | french-main)
    test=Stores/PurgelloLanguageTest.ChoiceInTheSettingsDialogIsAppliedAtTheNextStart/Portable ;;
  *) echo "screenshot-session: MOMENT is simulate, automatic, analysis, french-settings or french-main, not \"$moment\"" >&2; exit 2 ;;
esac
shot_name=screenshot-session
# shellcheck source-path=SCRIPTDIR
source "$(dirname "$0")/screenshot-common.sh"
shot_check_dpi "$dpi"
shot_require_tools
if [ -z "${PURGELLO_SCREENSHOT_INNER:-}" ]; then
  shot_build_targets purgello_exe_test
  out=$(realpath -m "$out")
fi
shot_on_private_display "$0" "$out" "$dpi" "$moment"

shot_prepare
shot_linger=60
export PURGELLO_SESSION_SHOT=$shot_ready PURGELLO_SESSION_SHOT_AT=$moment
shot_run "$dpi" "$shot_build/app/purgello_exe_test.exe" --gtest_filter="$test"
shot_wait_ready 120 "the window was not held for its picture"
shot_photograph "$out"
