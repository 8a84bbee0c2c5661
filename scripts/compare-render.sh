#!/usr/bin/env bash
# Pictures of two builds of the game window side by side: the battle replay
# of measure-render.sh, recorded once, watched at 1024 x 768 by each build,
# screenshots of the same frames compared pixel by pixel
# (scripts/compare_pictures.py). Leaves the pictures in OUT for a look.
# Usage: scripts/compare-render.sh OLD_BUILD NEW_BUILD OUT [FRAMES]
#        (FRAMES: comma-separated, 300,700,1200 by default; SIZE=WxH, 1024x768)
set -euo pipefail
cd "$(dirname "$0")/.."
old=$(realpath "$1")
new=$(realpath "$2")
out=$(realpath -m "$3")
frames=${4:-300,700,1200}
size=${SIZE:-1024x768}
last=$(tr ',' '\n' <<<"$frames" | sort -n | tail -1)
export ORBITFALL_DISCOVERY=loopback
mkdir -p "$out/old" "$out/new"
source scripts/xvfb.sh
# An X server of our own unless one is given; start_xvfb sets its own exit
# trap, so the one that also removes the user folder comes after it.
if [ -z "${DISPLAY:-}" ]; then start_xvfb > /dev/null; fi
user=$(mktemp -d)
trap 'stop_xvfb; rm -rf "$user"' EXIT
"$new/orbitfall-sim" run --map Kreuzung --players 4 --seed 20261208 --frames $((last + 2)) \
  --script bench/battle_script.txt --record --user-dir "$user" > /dev/null
for side in old new; do
  build=$old; [ "$side" = new ] && build=$new
  "$build/orbitfall" "$user/Replays/Latest.ofr" --user-dir "$user" --size "$size" --frame-ms 1 \
    --screenshot-at "$frames" --screenshot-dir "$out/$side" --exit-after $((last + 1))
done
status=0
for f in $(tr ',' ' ' <<<"$frames"); do
  printf 'frame %s: ' "$f"
  python3 scripts/compare_pictures.py "$out/old/frame-$f.png" "$out/new/frame-$f.png" "$out/diff-$f.png" || status=1
done
exit $status
