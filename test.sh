#!/usr/bin/env bash
# Sets up the machine, builds every preset and runs every suite through CTest.
set -euo pipefail
cd "$(dirname "$0")"
tools/setup.sh

for preset in native native-tsan win64 win32; do
  echo "== build $preset"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
done

# The Windows suites need an X display for windows; one Xvfb serves them all.
if [ -z "${DISPLAY:-}" ]; then
  displayfile=$(mktemp)
  Xvfb -displayfd 3 -nolisten tcp 3>"$displayfile" >/dev/null 2>&1 &
  xvfb_pid=$!
  trap 'kill $xvfb_pid 2>/dev/null; rm -f "$displayfile"' EXIT
  for _ in $(seq 50); do [ -s "$displayfile" ] && break; sleep 0.1; done
  export DISPLAY=":$(cat "$displayfile")"
fi

status=0
echo "== check executables"
tools/check-binaries.sh build/win32/Purgello.exe build/win64/Purgello.exe \
  build/win32/purgello-cli.exe build/win64/purgello-cli.exe || status=1
for preset in native native-tsan win64; do
  echo "== test $preset"
  ctest --preset "$preset" -j2 || status=1
done
exit $status
