#!/usr/bin/env bash
# Runs one native test program with its own HOME, XDG_DATA_HOME (the Recycle
# Bin is the freedesktop trash there) and WINEPREFIX, so no test ever reads or
# changes the user's own files, trash or Wine prefix.
set -uo pipefail
exe=$1; shift
scratch=$(mktemp -d /tmp/purgello-native.XXXXXX)
trap 'chmod -R u+w "$scratch" 2>/dev/null; rm -rf "$scratch"' EXIT
export HOME="$scratch/home" XDG_DATA_HOME="$scratch/home/.local/share" WINEPREFIX="$scratch/prefix"
mkdir -p "$HOME" "$XDG_DATA_HOME" "$WINEPREFIX/drive_c"
"$exe" "$@"
