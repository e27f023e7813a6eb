#!/usr/bin/env bash
# Prints one line saying why 32-bit Windows programs cannot run under Wine on
# this machine, and nothing when they can. The setup prints it, the Wine runner
# skips the i686 suites with it and ./test.sh repeats it in its summary.
if ! dpkg-query -W -f='${Status}' wine32:i386 2>/dev/null | grep -q "install ok installed"; then
  echo "32-bit Wine (wine32:i386) could not be installed: the i686 suites are skipped"
elif ! /usr/lib/wine/wine --version >/dev/null 2>&1; then
  echo "32-bit Wine (wine32:i386) is installed but this machine's kernel does not run 32-bit programs: the i686 suites are skipped"
fi
