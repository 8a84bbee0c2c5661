#!/usr/bin/env bash
# Headless speed of two builds, measured alternately so that other load on
# the machine falls on both alike: the battle of
# bench/battle_script.txt played by `orbitfall-sim run` (output discarded)
# and the verification of its replay, in frames per second of wall and of
# CPU time. Each build verifies the replay it recorded
# itself; the two replays must be identical, or the builds do not compute the
# same game and the script stops.
# Usage: bench/compare_speed.sh OLD-BUILD NEW-BUILD [ROUNDS [FRAMES]]
#        (default 7 rounds of 10,000 frames)
set -euo pipefail
# Whatever this starts looks for games on loopback only, never on the
# network around this machine.
export ORBITFALL_DISCOVERY=loopback
cd "$(dirname "$0")/.."
old=$1
new=$2
rounds=${3:-7}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

frames=${4:-10000}
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

# One timed command: appends frames per second of wall time and of CPU time
# (user + system; on a shared machine the wall time also holds the waits for
# a core, the CPU time does not) to $1-wall and $1-cpu.
timed() {
  local out=$1
  shift
  /usr/bin/time -f '%e %U %S' -o "$work/time" "$@" > /dev/null
  read -r wall user sys < "$work/time"
  echo "$frames / $wall" | bc -l >> "$out-wall"
  echo "$frames / ($user + $sys)" | bc -l >> "$out-cpu"
}

for ((i = 1; i <= rounds; ++i)); do
  for side in old new; do
    build=${!side}
    timed "$work/$side/run" "$build/orbitfall-sim" "${run_args[@]}" --user-dir "$work/$side"
    timed "$work/$side/verify" "$build/orbitfall-sim" verify "$work/$side/Replays/Latest.ofr" --user-dir "$work/$side"
  done
done

for side in old new; do
  for what in run verify; do
    for clock in wall cpu; do
      printf '%-4s %-7s %-5s median %6.0f frames/s  (%s)\n' "$side" "$what" "$clock" \
        "$(median < "$work/$side/$what-$clock")" "$(xargs printf '%.0f ' < "$work/$side/$what-$clock")"
    done
  done
done
echo "medians of $rounds rounds, old and new alternating"
