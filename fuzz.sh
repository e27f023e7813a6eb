#!/usr/bin/env bash
# Builds the libFuzzer programs (native-fuzz preset: clang, ASan, UBSan) and
# runs one harness for a while: ./fuzz.sh NAME SECONDS [libFuzzer options]
# Names: names, paths, settings_ini, wine_registry, version, language_file, update_reply.
# The seeds in fuzz/corpus/NAME are read, never written: what the run adds goes
# to build/native-fuzz/corpus/NAME, and a finding to build/native-fuzz/findings/
# (copy it into fuzz/corpus/NAME to keep it as a regression case).
set -euo pipefail
cd "$(dirname "$0")"

names="names paths settings_ini wine_registry version language_file update_reply"
if [ $# -lt 2 ] || ! [[ " $names " == *" $1 "* ]] || ! [[ $2 =~ ^[0-9]+$ ]]; then
  echo "usage: $0 NAME SECONDS [libFuzzer options]; names: $names" >&2
  exit 2
fi
name=$1 seconds=$2
shift 2
# Configured once; the build step reconfigures by itself when CMake files change.
[ -f build/native-fuzz/build.ninja ] || cmake --preset native-fuzz >/dev/null
cmake --build --preset native-fuzz --target "${name}_fuzz" -j 2
work=build/native-fuzz/corpus/$name findings=build/native-fuzz/findings
mkdir -p "$work" "$findings"
exec "build/native-fuzz/fuzz/${name}_fuzz" -max_total_time="$seconds" -print_final_stats=1 \
  -artifact_prefix="$findings/$name-" "$@" "$work" "fuzz/corpus/$name"
