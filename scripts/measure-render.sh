#!/usr/bin/env bash
# Render and Move times of the game window: the default start with all four
# fleets fighting (bench/battle_script.txt on Kreuzung), recorded headlessly
# and watched in a 1024 x 768 window under Xvfb (Mesa llvmpipe), one frame per
# millisecond timer event. Prints median, 95th percentile and maximum over
# FRAMES frames after the first SKIP (the caption's whole milliseconds, and
# Render measured in microseconds).
# Usage: scripts/measure-render.sh [build-dir]   (FRAMES=1000 SKIP=300 by default)
set -euo pipefail
# Whatever this starts looks for games on loopback only, never on the
# network around this machine.
export ORBITFALL_DISCOVERY=loopback
cd "$(dirname "$0")/.."
build=$(realpath "${1:-build}")
frames=${FRAMES:-1000}
skip=${SKIP:-300}
total=$((skip + frames))
source scripts/xvfb.sh
# An X server of our own unless one is given; start_xvfb sets its own exit
# trap, so the one that also removes the user folder comes after it.
if [ -z "${DISPLAY:-}" ]; then start_xvfb > /dev/null; fi
user=$(mktemp -d)
trap 'stop_xvfb; rm -rf "$user"' EXIT
command -v glxinfo > /dev/null && echo "GL: $(glxinfo -B 2>/dev/null | sed -n "s/^OpenGL renderer string: //p")"

"$build/orbitfall-sim" run --map Kreuzung --players 4 --seed 20261208 --frames "$total" \
  --script bench/battle_script.txt --record --user-dir "$user" > /dev/null
"$build/orbitfall" "$user/Replays/Latest.ofr" --user-dir "$user" --size 1024x768 --frame-ms 1 \
  --exit-after "$total" --timings "$user/timings.txt"

stats() {  # column label
  tail -n "$frames" "$user/timings.txt" | awk -v c="$1" '{print $c}' | sort -n | awk -v label="$2" '
    { v[NR] = $1 }
    END {
      p95 = int((NR * 95 + 99) / 100)
      printf "%-10s median %8s   p95 %8s   max %8s   (%d frames)\n", label, v[int((NR + 1) / 2)], v[p95], v[NR], NR
    }'
}
echo "frames $skip to $((total - 1)) of the battle replay, 1024x768:"
stats 2 "Move ms"
stats 3 "Render ms"
stats 4 "Render us"
