#!/usr/bin/env bash
# Builds (Release, no sanitizers) and runs the tag-reading benchmark.
# Usage: bench/tags/run.sh [file count (default 10000)]
# Build folder: $BUILD_DIR (default build-bench beside the sources); files: $BENCH_DIR.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
build=${BUILD_DIR:-$root/build-bench}
work=${BENCH_DIR:-$(mktemp -d /tmp/vemla-tags-bench.XXXXXX)}
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVEMLA_SANITIZE=OFF >/dev/null
cmake --build "$build" -j2 --target tags_bench >/dev/null
status=0
"$build/bench/tags/tags_bench" "$work" "${1:-10000}" || status=$?
[ -z "${BENCH_DIR:-}" ] && rm -rf "$work"
exit $status
