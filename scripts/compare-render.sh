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
user=$(mktemp -d)
xvfb_pid=""
cleanup() {
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$user"
}
trap cleanup EXIT
if [ -z "${DISPLAY:-}" ]; then
  exec 3< <(Xvfb -displayfd 1 -screen 0 1280x1024x24 -nolisten tcp -noreset 2>/dev/null)
  xvfb_pid=$!
  read -r display <&3
  export DISPLAY=":$display"
fi
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
