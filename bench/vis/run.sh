#!/usr/bin/env bash
# Drawing cost of one visualiser tick, median of 10,000 frames, on an optimised build.
# Usage: bench/vis/run.sh [frames]   (build folder: $VEMLA_BENCH_BUILD, default build-bench)
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${VEMLA_BENCH_BUILD:-$root/build-bench}
if [ ! -f "$build/build.ninja" ]; then
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVEMLA_TESTS=OFF >/dev/null
fi
cmake --build "$build" -j2 --target vis_bench >/dev/null
"$build/bench/vis/vis_bench" "${1:-10000}"
