#!/usr/bin/env bash
# Builds (Release, no sanitizers) and runs the information window benchmark.
# Usage: bench/info/run.sh [rounds (default 41)]
# Build folder: $BUILD_DIR (default build-bench beside the sources); files: $BENCH_DIR.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
build=${BUILD_DIR:-$root/build-bench}
work=${BENCH_DIR:-$(mktemp -d /tmp/vemla-info-bench.XXXXXX)}
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVEMLA_SANITIZE=OFF >/dev/null
cmake --build "$build" -j2 --target info_bench >/dev/null
status=0
QT_QPA_PLATFORM=offscreen SDL_AUDIODRIVER=dummy "$build/bench/info/info_bench" "$work" "${1:-41}" ||
  status=$?
[ -z "${BENCH_DIR:-}" ] && rm -rf "$work"
exit $status
