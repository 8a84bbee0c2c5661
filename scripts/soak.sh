#!/usr/bin/env bash
# The full lockstep soak (not part of CI): one host and three clients on
# loopback, 20,000 frames at 2 ms, random commands from a fixed seed. Prints
# the checks and the resident memory of every process as it runs.
#   bash scripts/soak.sh [FRAMES] [FRAME_MS] [SEED]
# BUILD_DIR (default build-soak) is configured as Release if it does not exist.
set -euo pipefail
# Whatever this starts looks for games on loopback only, never on the
# network around this machine.
export ORBITFALL_DISCOVERY=loopback
cd "$(dirname "$0")/.."

build="${BUILD_DIR:-build-soak}"
frames="${1:-20000}"
frame_ms="${2:-2}"
seed="${3:-20260101}"

if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release
fi
cmake --build "$build" -j2 --target orbitfall-sim soak_runner

work="$(mktemp -d "${TMPDIR:-/tmp}/orbitfall-soak-XXXXXX")"
trap 'rm -rf "$work"' EXIT
"$build/tests/soak/soak_runner" "$build/orbitfall-sim" "$work" "$frames" "$frame_ms" "$seed"
