#!/usr/bin/env bash
# Runs every test several times in a row on a loaded machine, to show that no test depends on
# being scheduled in time: two busy processes hold the cores throughout, and with --memory one
# more run goes under memory pressure (stress-ng, or a plain allocator when it is missing).
# Usage: scripts/test-loaded.sh [runs (default 5)] [--memory]
# VEMLA_MEM_RESERVE_MB (default 4096) is the memory left free during the pressure run.
# Prints one line per run (passed/total, wall time); exits non-zero when any run failed.
set -euo pipefail
cd "$(dirname "$0")/.."
runs=5
memory=0
for arg in "$@"; do
  case $arg in
    --memory) memory=1 ;;
    *) runs=$arg ;;
  esac
done

scripts/install-deps.sh test
cmake -S . -B build/debug -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVEMLA_SANITIZE=ON -DVEMLA_BENCH=OFF
cmake --build build/debug -j2

load=()
cleanup() {
  for pid in "${load[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${load[@]}"; do wait "$pid" 2>/dev/null || true; done
  load=()
}
trap cleanup EXIT
trap 'exit 130' INT TERM

logs=$PWD/build/debug/loaded
mkdir -p "$logs"
failed=0
# One whole run of the suite; $1 names it.
suite() {
  local name=$1 log=$logs/$1.log start end rc summary
  start=$(date +%s)
  rc=0
  (cd build/debug && ctest -j2 --timeout 600 --output-on-failure) >"$log" 2>&1 || rc=$?
  end=$(date +%s)
  summary=$(grep -E "tests passed, [0-9]+ tests failed out of [0-9]+" "$log" || echo "no summary")
  echo "$name: $summary; wall $((end - start)) s; log $log"
  if [ "$rc" -ne 0 ]; then
    failed=$((failed + 1))
    grep -E "^\s+[0-9]+ - .*\((Failed|Timeout|SEGFAULT|Subprocess aborted|Not Run)\)" "$log" || true
  fi
}

yes >/dev/null &
load+=($!)
yes >/dev/null &
load+=($!)
echo "two busy processes: ${load[*]}"
for i in $(seq 1 "$runs"); do suite "loaded-$i"; done

if [ "$memory" = 1 ]; then
  reserve=${VEMLA_MEM_RESERVE_MB:-4096}
  avail=$(awk '/^MemAvailable:/ {print int($2 / 1024)}' /proc/meminfo)
  take=$((avail - reserve))
  if [ "$take" -lt 256 ]; then
    echo "only $avail MB available: no memory pressure run"
  else
    if command -v stress-ng >/dev/null; then
      stress-ng --vm 1 --vm-bytes "${take}M" --vm-keep --quiet &
    else
      # Holds the memory and keeps touching it, so the kernel has to keep it resident.
      python3 -c "
import sys, time
b = bytearray(int(sys.argv[1]) << 20)
while True:
    for i in range(0, len(b), 4096): b[i] = (b[i] + 1) & 255
    time.sleep(0.1)" "$take" &
    fi
    load+=($!)
    echo "memory pressure: $take MB held of $avail MB available"
    suite "memory"
  fi
fi
echo "failed runs: $failed"
[ "$failed" -eq 0 ]
