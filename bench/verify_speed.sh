#!/usr/bin/env bash
# Records a 10,000-frame game of the default start (four fleets of 200 ships
# on Kreuzung, ordered into battle) and times its headless verification.
# Usage: bench/verify_speed.sh [build-dir]   (default: build)
set -euo pipefail
# Whatever this starts looks for games on loopback only, never on the
# network around this machine.
export ORBITFALL_DISCOVERY=loopback
cd "$(dirname "$0")/.."
build=${1:-build}
user=$(mktemp -d)
trap 'rm -rf "$user"' EXIT

"$build/orbitfall-sim" run --map Kreuzung --players 4 --seed 20261208 --frames 10000 \
  --script bench/battle_script.txt --record --user-dir "$user" > "$user/run.txt"
echo "recorded $(wc -l < "$user/run.txt") lines, replay $(stat -c %s "$user/Replays/Latest.ofr") bytes"
for i in 1 2 3; do
  "$build/orbitfall-sim" verify "$user/Replays/Latest.ofr" --user-dir "$user"
done
