#!/usr/bin/env bash
# Sets up everything on a fresh Debian 12 machine and runs all tests:
# the Release build, then the Debug build with AddressSanitizer and
# UndefinedBehaviorSanitizer (the deterministic golden games must agree in both).
set -euo pipefail
# Whatever this starts looks for games on loopback only, never on the
# network around this machine.
export ORBITFALL_DISCOVERY=loopback
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh

# One X server of our own for the GL tests of both builds; stopped on exit.
source scripts/xvfb.sh
start_xvfb

jobs=$(nproc)

cmake -S . -B build -DCMAKE_BUILD_TYPE=Release
cmake --build build -j"$jobs"
ctest --test-dir build --output-on-failure -j"$jobs"

cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DORBITFALL_SANITIZE=ON -DORBITFALL_BENCH=OFF
cmake --build build-asan -j"$jobs"
ASAN_OPTIONS=detect_leaks=1 ctest --test-dir build-asan --output-on-failure -j"$jobs"

# Every reader of outside input fuzzed for a bounded time (libFuzzer with
# clang 14, AddressSanitizer and UndefinedBehaviorSanitizer); any finding fails.
bash fuzz/run.sh 30
