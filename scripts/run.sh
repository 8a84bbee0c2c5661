#!/usr/bin/env bash
# Sets up everything on a fresh Debian 12 machine, builds, and starts the program.
# Until the game window exists the program is the headless runner orbitfall-sim,
# which plays a battle of four fleets on the default map and prints its
# checksums (arguments, when given, go to orbitfall-sim instead).
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release
cmake --build build -j"$(nproc)"

if [ $# -eq 0 ]; then
  set -- run --map Kreuzung --players 4 --frames 1000 --script bench/battle_script.txt --record
fi
exec build/orbitfall-sim "$@"
