#!/usr/bin/env bash
# Sets up everything on a fresh Debian 12 machine, builds, and starts the program.
# Until the game window exists the program is the headless runner orbitfall-sim,
# which plays a game of four fleets on the default map and prints its checksums.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release
cmake --build build -j"$(nproc)"

if [ $# -eq 0 ]; then
  set -- run --map Kreuzung --players 4 --frames 200
fi
exec build/orbitfall-sim "$@"
