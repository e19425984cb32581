#!/usr/bin/env bash
# Installs what is missing, builds the Release program folder and starts the player.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh run
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DVEMLA_TESTS=OFF -DVEMLA_BENCH=OFF
cmake --build build/release -j2
exec build/release/VemlaPlayer/VemlaPlayer "$@"
