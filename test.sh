#!/usr/bin/env bash
# Sets up the machine, builds every preset and runs every suite through CTest.
# The win32 suites are the i686 build under Wine's 32-bit layer (WOW64).
set -euo pipefail
cd "$(dirname "$0")"
tools/setup.sh

for preset in native native-tsan win64 win32; do
  echo "== build $preset"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
done

# The Windows suites need an X display for windows; one Xvfb serves them all.
source tools/start-xvfb.sh

status=0
summary=()
all_passed=0 all_failed=0 all_skipped=0
echo "== check executables"
if tools/check-binaries.sh build/win32/Purgello.exe build/win64/Purgello.exe \
     build/win32/purgello-cli.exe build/win64/purgello-cli.exe; then
  summary+=("executables: checked")
else
  summary+=("executables: FAILED the check"); status=1
fi
declare -A titles=([native]="native" [native-tsan]="native-tsan" [win64]="win64 (x86_64)" [win32]="win32 (i686 under WOW64)")
# The i686 suites run before the x86_64 ones, so that where this machine cannot run them the
# last suite's report is one whose programs ran.
for preset in native native-tsan win32 win64; do
  echo "== test $preset"
  log=$(mktemp)
  ctest --preset "$preset" -j2 2>&1 | tee "$log" || status=1
  result=$(grep -E '^[0-9]+% tests passed' "$log" || echo "no result")
  total=$(sed -En 's/.* tests failed out of ([0-9]+)$/\1/p' "$log" | tail -1)
  failed=$(sed -En 's/.*, ([0-9]+) tests failed out of.*/\1/p' "$log" | tail -1)
  skipped=$(grep -c '(Skipped)' "$log" || true)
  if [ "$skipped" -gt 0 ]; then result+=", $skipped skipped"; fi
  summary+=("${titles[$preset]}: $result")
  # A preset whose run printed no result counts as one failure.
  if [ -z "$total" ]; then total=1 failed=1; status=1; fi
  all_failed=$((all_failed + failed))
  all_skipped=$((all_skipped + skipped))
  all_passed=$((all_passed + total - failed - skipped))
  rm -f "$log"
done

echo "== summary"
printf '   %s\n' "${summary[@]}"
note=$(tools/wine32-status.sh)
if [ -n "$note" ]; then echo "   $note"; fi
# The closing line counts test programs over every preset, skipped ones apart.
echo "all: $all_passed passed, $all_failed failed, $all_skipped skipped"
exit $status
