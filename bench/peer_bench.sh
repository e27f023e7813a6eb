#!/usr/bin/env bash
# purgello-cli against BleachBit on the same job: a preview, then a plain
# clean, of one folder of small files. Ours: the Temporary Files category over
# a planted Wine prefix (the folder is its C:\windows\Temp). BleachBit: a
# cleaner of one walk.all delete action on an identical folder. Both write
# their lists to /dev/null; each side is checked to have deleted every file.
# Runs alternate and the best of each side counts (this machine is shared).
#
#   peer_bench.sh PURGELLO_CLI [--files N] [--dir FOLDER] [--runs N]
#
# The line before the last gives the floor of the same work, done by find on
# an identical folder (one lstat per file for the preview, find -delete for the
# clean): no program can be much faster than it on this machine. The last line
# gives the seconds of each side and how many times faster ours is.
set -euo pipefail

cli=$1
shift
files=100000
base=/var/tmp
runs=3
while [ $# -gt 0 ]; do
  case "$1" in
    --files) files=$2; shift 2 ;;
    --dir) base=$2; shift 2 ;;
    --runs) runs=$2; shift 2 ;;
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
ours_dir=$prefix/drive_c/windows/Temp
theirs=$work/theirs
floor=$work/floor
mkdir -p "$ours_dir" "$prefix/drive_c/users/bench" "$work/xdg" "$theirs" "$floor" \
  "$work/home/.config/bleachbit/cleaners"

# files files of 64 bytes, named f00000, f00001, ..., read once so that no
# side meets a colder cache than the other.
plant() {
  (cd "$1" && head -c $((files * 64)) /dev/zero | split -b 64 -a 6 -d - f)
  sync
  ls -f "$1" >/dev/null
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
floor_preview() { find "$floor" -type f -printf '%s\n' >/dev/null; }
floor_clean() { find "$floor" -type f -delete; }

# Seconds the command takes.
timed() {
  local start end
  start=$(date +%s.%N)
  "$@"
  end=$(date +%s.%N)
  echo "$end - $start" | bc -l
}

min() { if [ -z "$1" ] || [ "$(echo "$2 < $1" | bc -l)" = 1 ]; then echo "$2"; else echo "$1"; fi; }

left() { find "$1" -type f | wc -l; }

echo "peer_bench: $files files of 64 bytes in one folder, in $work, best of $runs" >&2
ours_preview='' theirs_preview='' floor_preview_s='' ours_clean='' theirs_clean='' floor_clean_s=''
for ((run = 1; run <= runs; run++)); do
  plant "$ours_dir"
  plant "$theirs"
  plant "$floor"
  ours_preview=$(min "$ours_preview" "$(timed ours preview)")
  grep -q "Found: $files items" "$work/ours.err" || { echo "peer_bench: purgello-cli did not find every file" >&2; exit 1; }
  theirs_preview=$(min "$theirs_preview" "$(timed bleachbit_run --preview)")
  floor_preview_s=$(min "$floor_preview_s" "$(timed floor_preview)")
  ours_clean=$(min "$ours_clean" "$(timed ours clean)")
  theirs_clean=$(min "$theirs_clean" "$(timed bleachbit_run --clean)")
  floor_clean_s=$(min "$floor_clean_s" "$(timed floor_clean)")
  [ "$(left "$ours_dir")" = 0 ] || { echo "peer_bench: purgello-cli left files" >&2; exit 1; }
  [ "$(left "$theirs")" = 0 ] || { echo "peer_bench: bleachbit left files" >&2; exit 1; }
  [ "$(left "$floor")" = 0 ] || { echo "peer_bench: find left files" >&2; exit 1; }
  echo "peer_bench: run $run: preview $ours_preview vs $theirs_preview, clean $ours_clean vs $theirs_clean (best so far)" >&2
done

printf 'peer floor: preview %.2f, clean %.2f (find on an identical folder; bleachbit / floor: %.1f %.1f)\n' \
  "$floor_preview_s" "$floor_clean_s" \
  "$(echo "$theirs_preview / $floor_preview_s" | bc -l)" "$(echo "$theirs_clean / $floor_clean_s" | bc -l)"
printf 'peer: preview %.2f vs %.2f, clean %.2f vs %.2f, ratio %.1f %.1f\n' \
  "$ours_preview" "$theirs_preview" "$ours_clean" "$theirs_clean" \
  "$(echo "$theirs_preview / $ours_preview" | bc -l)" "$(echo "$theirs_clean / $ours_clean" | bc -l)"
