#!/usr/bin/env bash
# Cost of the skin at window creation (median of N runs): outline tracing, regions, cutting
# the main window and its buttons, decoding the pictures.
# Usage: bench/skin/run.sh [runs]   (build folder: $VEMLA_BENCH_BUILD, default build-bench)
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${VEMLA_BENCH_BUILD:-$root/build-bench}
if [ ! -f "$build/build.ninja" ]; then
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVEMLA_TESTS=OFF >/dev/null
fi
cmake --build "$build" -j2 --target skin_bench >/dev/null
QT_QPA_PLATFORM=offscreen "$build/bench/skin/skin_bench" "${1:-200}"
