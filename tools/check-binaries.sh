#!/usr/bin/env bash
# Checks that each Windows executable is of its architecture and imports only
# DLLs that ship with Windows (no C++ runtime or pthread DLL beside it), and
# that the i686 ones are large-address-aware.
set -uo pipefail
allowed='^(kernel32|user32|gdi32|shell32|shlwapi|advapi32|ole32|oleaut32|comctl32|comdlg32|wininet|winhttp|urlmon|version|uxtheme|msvcrt|ws2_32|crypt32|bcrypt|secur32|ntdll|api-ms-win-.*|ucrtbase|userenv|dwmapi|shcore|imm32|winmm|rpcrt4|netapi32|wintrust)\.dll$'
status=0
for exe in "$@"; do
  if [ ! -f "$exe" ]; then echo "missing: $exe"; status=1; continue; fi
  case "$exe" in
    *win32*) want='PE32 executable.*Intel 80386'; objdump=i686-w64-mingw32-objdump; i686=1 ;;
    *)       want='PE32\+ executable.*x86-64';     objdump=x86_64-w64-mingw32-objdump; i686= ;;
  esac
  kind=$(file -b "$exe")
  if ! grep -Eq "$want" <<<"$kind"; then echo "$exe: unexpected kind: $kind"; status=1; fi
  headers=$($objdump -p "$exe")
  # The header's Characteristics flag 0x20, which objdump names.
  if [ -n "$i686" ] && ! grep -q "large address aware" <<<"$headers"; then
    echo "$exe: not large-address-aware"; status=1
  fi
  while read -r dll; do
    if ! grep -Eiq "$allowed" <<<"$dll"; then echo "$exe: imports non-system DLL $dll"; status=1; fi
  done < <(sed -n 's/^\s*DLL Name: //p' <<<"$headers")
  [ $status -eq 0 ] && echo "$exe: $kind${i686:+, large-address-aware}; imports: $(sed -n 's/^\s*DLL Name: //p' <<<"$headers" | tr '\n' ' ')"
done
exit $status
