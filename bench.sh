#!/usr/bin/env bash
# Builds the optimised native build and runs one benchmark: ./bench.sh <name> [options]
set -euo pipefail
cd "$(dirname "$0")"

usage() {
  echo "usage: $0 <benchmark> [options]; benchmarks: shred, listing, listing-wine, delete, log, peer, gui-list" >&2
  exit 2
}

# Configures and builds the native-release preset, only the given target.
build() {
  cmake --preset native-release >/dev/null
  cmake --build --preset native-release --target "$1" -j 2
}

# Configures and builds the optimised Windows (x86_64) build, only the given target.
win64_release() {
  cmake -S . -B build/win64-release -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake \
    -DCMAKE_BUILD_TYPE=Release -DPURGELLO_BUILD_TESTS=OFF >/dev/null
  cmake --build build/win64-release --target "$1" -j 2
}

[ $# -ge 1 ] || usage
name=$1
shift
case "$name" in
  shred)
    # ShredFile (three passes) against GNU shred -n 3 -u on a 256 MiB file.
    build shred_bench
    build/native-release/bench/shred_bench "$@"
    ;;
  listing)
    # ListFiles against a bare readdir walk over a planted tree of 200,000 files
    # on the real disk (kept between runs in /var/tmp, planted on first use).
    build listing_bench
    tree=${PURGELLO_BENCH_DIR:-/var/tmp/purgello-bench}/listing-tree
    mkdir -p "$(dirname "$tree")"
    build/native-release/bench/listing_bench "$tree" 200000 "$@"
    ;;
  listing-wine)
    # The same under Wine: the Windows build's ListFiles against a bare
    # FindFirstFileExW walk, in a throw-away Wine prefix.
    win64_release listing_bench
    tree=${PURGELLO_BENCH_DIR:-/var/tmp/purgello-bench}/listing-tree
    mkdir -p "$tree"
    tools/wine-run.sh build/win64-release/bench/listing_bench.exe "Z:${tree//\//\\}" 200000 "$@"
    ;;
  gui-list)
    # Under Wine: 200,000 rows of a planted tree handed to the real main
    # window, then a sort by "Size", "Check all", a per-type command and a
    # click, against the same rows added to the list model with no window.
    win64_release gui_list_bench
    tree=${PURGELLO_BENCH_DIR:-/var/tmp/purgello-bench}/gui-list-tree
    mkdir -p "$(dirname "$tree")"
    tools/wine-run.sh build/win64-release/bench/gui_list_bench.exe "Z:${tree//\//\\}" 200000 "$@"
    ;;
  delete)
    # The cleaning worker deleting 100,000 small files against find -delete.
    build delete_bench
    build/native-release/bench/delete_bench "$@"
    ;;
  log)
    # The cleaning of 100,000 small files with every deletion logged to a
    # verbose log file, against the same cleaning without a log.
    build delete_bench
    build/native-release/bench/delete_bench --log "$@"
    ;;
  peer)
    # purgello-cli against BleachBit: preview and clean of 100,000 small files.
    build purgello-cli
    bench/peer_bench.sh build/native-release/purgello-cli "$@"
    ;;
  *)
    usage
    ;;
esac
