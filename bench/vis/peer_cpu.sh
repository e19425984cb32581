#!/usr/bin/env bash
# CPU of the whole player playing an MP3 with the visualiser running, beside the peer players in
# the same run (bench/peers; --install there fetches the peers' packages).
# Usage: bench/vis/peer_cpu.sh [runs]
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
exec "$root/bench/peers/run.sh" --tests play --runs "${1:-3}"
