#!/usr/bin/env bash
# Installs what is missing, builds with AddressSanitizer/UBSan and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh test
cmake -S . -B build/debug -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVEMLA_SANITIZE=ON -DVEMLA_BENCH=OFF
cmake --build build/debug -j2
cd build/debug
ctest -j2 --output-on-failure --timeout 600
