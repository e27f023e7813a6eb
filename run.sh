#!/usr/bin/env bash
# Builds Purgello and starts build/win64/Purgello.exe under Wine, in a Wine
# prefix of its own so that it never touches your own prefix.
#
#   ./run.sh [--prefix DIR] [-- ARGUMENTS FOR PURGELLO]
#
# --prefix DIR  the Wine prefix to use (default ~/.local/share/purgello/wineprefix,
#               created on first use). Wine's Recycle Bin for that prefix is a
#               trash folder inside it, not your own trash.
set -euo pipefail
cd "$(dirname "$0")"
root=$PWD

prefix="${XDG_DATA_HOME:-$HOME/.local/share}/purgello/wineprefix"
program_args=()
while (($#)); do
  case "$1" in
    --prefix)
      [ $# -ge 2 ] || { echo "run.sh: --prefix needs a folder" >&2; exit 2; }
      prefix=$2; shift 2 ;;
    --prefix=*) prefix=${1#--prefix=}; shift ;;
    -h|--help) sed -n '2,9s/^# \{0,1\}//p' "$0"; exit 0 ;;
    --) shift; program_args=("$@"); break ;;
    *) echo "run.sh: unknown option $1 (see ./run.sh --help)" >&2; exit 2 ;;
  esac
done
mkdir -p "$prefix"
prefix=$(cd "$prefix" && pwd)

tools/setup.sh
for preset in native win64; do
  echo "== build $preset"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
done
exe="$root/build/win64/Purgello.exe"

export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINELOADER=/usr/lib/wine/wine64
# Wine's Recycle Bin is the freedesktop trash of XDG_DATA_HOME: keep this
# prefix's bin (and Wine's menu entries) apart from yours.
export XDG_DATA_HOME="$prefix/xdg-data"
mkdir -p "$XDG_DATA_HOME"

source tools/start-xvfb.sh
if [ -n "$xvfb_started" ]; then
  echo "== DISPLAY is not set: started a virtual X server (Xvfb) on $DISPLAY; nothing will be visible"
fi

if [ ! -f "$prefix/system.reg" ]; then
  echo "== creating the Wine prefix $prefix (first use, this takes a little while)"
  /usr/lib/wine/wine64 wineboot -i >/dev/null 2>&1
  /usr/lib/wine/wineserver -w
fi

cat <<EOF
== starting $exe
   Wine prefix: $prefix
   What the program does so far (it has no window yet, and ends by itself):
   - runs as a portable copy: imports build/win64/settings.ini when it exists;
   - records its path in the registry (HKCU\\SOFTWARE\\Halvoris, value Purgello);
   - writes its start-up log (system facts, known folders) to
     %APPDATA%\\Halvoris\\Purgello\\Purgello.log and deletes a previous update's
     update.exe and update.log there;
   - closes: stores its window settings, removes its language files from your
     VirtualStore, erases the log securely unless DebugMode=1, deletes its data
     folder, and exports its settings to build/win64/settings.ini before wiping
     its registry branch.
   Put "DebugMode=1" under [Settings] in build/win64/settings.ini to keep the log.
EOF

status=0
/usr/lib/wine/wine64 "$exe" "${program_args[@]}" || status=$?
/usr/lib/wine/wineserver -w

echo "== Purgello.exe ended with exit code $status"
user_dir="$prefix/drive_c/users/$(id -un)"
log="$user_dir/AppData/Roaming/Halvoris/Purgello/Purgello.log"
if [ -s "$log" ]; then
  echo "   its log (kept because of DebugMode=1): $log"
else
  echo "   its log was erased at close (set DebugMode=1 in build/win64/settings.ini to keep it)"
fi
[ -f "$root/build/win64/settings.ini" ] && echo "   its settings: $root/build/win64/settings.ini"
exit $status
