#!/usr/bin/env bash
# Headless speed of two builds, measured alternately so that other load on
# the machine falls on both alike: the 10,000-frame battle of
# bench/battle_script.txt played by `orbitfall-sim run` (frames/s from the
# wall time, output discarded) and the verification of its replay (the
# frames/s that `verify` prints). Each build verifies the replay it recorded
# itself; the two replays must be identical, or the builds do not compute the
# same game and the script stops.
# Usage: bench/compare_speed.sh OLD-BUILD NEW-BUILD [ROUNDS]   (default 7 rounds)
set -euo pipefail
cd "$(dirname "$0")/.."
old=$1
new=$2
rounds=${3:-7}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

frames=10000
run_args=(run --map Kreuzung --players 4 --seed 20261208 --frames "$frames" --script bench/battle_script.txt)

for side in old new; do
  build=${!side}
  mkdir -p "$work/$side"
  "$build/orbitfall-sim" "${run_args[@]}" --record --user-dir "$work/$side" > "$work/$side/run.txt"
done
cmp "$work/old/run.txt" "$work/new/run.txt"
cmp "$work/old/Replays/Latest.ofr" "$work/new/Replays/Latest.ofr"
echo "both builds: the same $frames checksums and the same replay"

median() { sort -g | awk '{v[NR]=$1} END {print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2}'; }

for ((i = 1; i <= rounds; ++i)); do
  for side in old new; do
    build=${!side}
    start=$(date +%s.%N)
    "$build/orbitfall-sim" "${run_args[@]}" --user-dir "$work/$side" > /dev/null
    end=$(date +%s.%N)
    echo "$frames / ($end - $start)" | bc -l >> "$work/$side/run-fps"
    "$build/orbitfall-sim" verify "$work/$side/Replays/Latest.ofr" --user-dir "$work/$side" |
      sed -n 's/.*(\([0-9]*\) frames\/s).*/\1/p' >> "$work/$side/verify-fps"
  done
done

for side in old new; do
  printf '%s: run %.0f frames/s, verify %.0f frames/s (medians of %d, alternating)\n' "$side" \
    "$(median < "$work/$side/run-fps")" "$(median < "$work/$side/verify-fps")" "$rounds"
  echo "  run:    $(tr '\n' ' ' < "$work/$side/run-fps" | xargs printf '%.0f ')"
  echo "  verify: $(tr '\n' ' ' < "$work/$side/verify-fps")"
done
