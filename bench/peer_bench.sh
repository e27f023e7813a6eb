#!/usr/bin/env bash
# purgello-cli against BleachBit on the same job: a preview, then a plain
# clean, of one folder of small files. Ours: the Temporary Files category over
# a planted Wine prefix (the folder is its C:\windows\Temp). BleachBit: a
# cleaner of one walk.all delete action on an identical folder. Both write
# their lists to /dev/null; each side is checked to have deleted every file.
#
#   peer_bench.sh PURGELLO_CLI [--files N] [--dir FOLDER]
#
# The last line gives the seconds of each and how many times faster ours is.
set -euo pipefail

cli=$1
shift
files=100000
base=/var/tmp
while [ $# -gt 0 ]; do
  case "$1" in
    --files) files=$2; shift 2 ;;
    --dir) base=$2; shift 2 ;;
    *) echo "peer_bench: unknown option $1" >&2; exit 2 ;;
  esac
done

if ! command -v bleachbit >/dev/null; then
  echo "peer_bench: installing bleachbit" >&2
  apt-get update -qq >/dev/null
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq bleachbit >/dev/null
fi

work=$(mktemp -d "$base/pgbench-peer-XXXXXX")
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix
theirs=$work/theirs
mkdir -p "$prefix/drive_c/windows/Temp" "$prefix/drive_c/users/bench" "$work/xdg" "$theirs" \
  "$work/home/.config/bleachbit/cleaners"

# files files of 64 bytes, named f00000, f00001, ...
plant() {
  (cd "$1" && head -c $((files * 64)) /dev/zero | split -b 64 -a 6 -d - f)
}

cat >"$work/home/.config/bleachbit/cleaners/pgbench.xml" <<EOF
<?xml version="1.0" encoding="UTF-8"?>
<cleaner id="pgbench">
  <label>Purgello benchmark</label>
  <option id="files">
    <label>Files</label>
    <description>Every file of the benchmark folder</description>
    <action command="delete" search="walk.all" path="$theirs"/>
  </option>
</cleaner>
EOF

ours() {
  XDG_DATA_HOME=$work/xdg "$cli" "$1" --only Temporary_Files --prefix "$prefix" --user bench >/dev/null 2>"$work/ours.err"
}
bleachbit_run() {
  HOME=$work/home XDG_CONFIG_HOME=$work/home/.config bleachbit "$1" pgbench.files >/dev/null 2>"$work/theirs.err"
}

# Seconds the command takes.
timed() {
  local start end
  start=$(date +%s.%N)
  "$@"
  end=$(date +%s.%N)
  echo "$end - $start" | bc -l
}

left() { find "$1" -type f | wc -l; }

echo "peer_bench: $files files of 64 bytes in one folder, in $work" >&2
plant "$prefix/drive_c/windows/Temp"
plant "$theirs"
sync
# Both folders read once, so neither preview meets a colder cache.
ls -f "$prefix/drive_c/windows/Temp" "$theirs" >/dev/null

ours_preview=$(timed ours preview)
theirs_preview=$(timed bleachbit_run --preview)
grep -q "Found: $files items" "$work/ours.err" || { echo "peer_bench: purgello-cli did not find every file" >&2; exit 1; }
ours_clean=$(timed ours clean)
theirs_clean=$(timed bleachbit_run --clean)
[ "$(left "$prefix/drive_c/windows/Temp")" = 0 ] || { echo "peer_bench: purgello-cli left files" >&2; exit 1; }
[ "$(left "$theirs")" = 0 ] || { echo "peer_bench: bleachbit left files" >&2; exit 1; }

printf 'peer: preview %.2f vs %.2f, clean %.2f vs %.2f, ratio %.1f %.1f\n' \
  "$ours_preview" "$theirs_preview" "$ours_clean" "$theirs_clean" \
  "$(echo "$theirs_preview / $ours_preview" | bc -l)" "$(echo "$theirs_clean / $ours_clean" | bc -l)"
