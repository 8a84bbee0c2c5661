#!/usr/bin/env bash
# Sets up everything on a fresh Debian 12 machine, builds, and starts the game:
# the server selection, from which a player hosts (Open with no host name) or
# joins. Arguments go to the game (`--help` lists them; a replay path plays
# that replay in the window).
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release
cmake --build build -j"$(nproc)"

exec build/orbitfall "$@"
