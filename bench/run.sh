#!/usr/bin/env bash
# Runs every benchmark area's script (bench/<area>/run.sh) and prints their figures.
# Usage: bench/run.sh [area ...]
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
areas=("$@")
if [ ${#areas[@]} -eq 0 ]; then
  for d in "$here"/*/; do [ -x "$d/run.sh" ] && areas+=("$(basename "$d")"); done
fi
status=0
for a in "${areas[@]}"; do
  echo "== bench/$a"
  "$here/$a/run.sh" || status=1
done
exit $status
