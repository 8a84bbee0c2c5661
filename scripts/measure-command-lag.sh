#!/usr/bin/env bash
# Measures the lag a player feels: from a right click in the game window to
# the frame in which the move order takes effect, on the host and on a client,
# two copies of orbitfall on loopback with 50 ms host frames. Clicks are real X
# input (xdotool); each copy writes --order-trace (when frames begin); the
# replay says which frame executed which order.
# With DELAY_MS (and JITTER_MS, default 0) the client joins through
# scripts/delay-relay.py, which delays each direction by that much.
#   scripts/measure-command-lag.sh [BUILD_DIR] [ORDERS] [DELAY_MS [JITTER_MS]]
set -euo pipefail
# Whatever this starts looks for games on loopback only, never on the
# network around this machine.
export ORBITFALL_DISCOVERY=loopback
build=${1:-build}; orders=${2:-100}; delay=${3:-}; jitter=${4:-0}
host_pid=""; client_pid=""; relay_pid=""
work=$(mktemp -d)
cleanup() { kill $host_pid $client_pid $relay_pid 2>/dev/null || true; rm -rf "$work"; }
trap cleanup EXIT
# start_xvfb sets its own EXIT trap; both must run.
if [ -z "${DISPLAY:-}" ]; then source "$(dirname "$0")/xvfb.sh"; start_xvfb; trap 'cleanup; stop_xvfb' EXIT; fi
win() { xdotool search --all --onlyvisible --pid "$1" --name "$2" | head -1; }
wait_win() { for _ in $(seq 200); do w=$(win "$1" "$2"); [ -n "$w" ] && { echo "$w"; return; }; sleep 0.05; done; echo "no window $2" >&2; exit 1; }
click() { xdotool windowraise "$1" mousemove --window "$1" "$2" "$3" click "$4"; }
now_ms() { date +%s%3N; }

mkdir -p "$work/host" "$work/client"
"$build/orbitfall" --user-dir "$work/host/" --port 0 --order-trace "$work/host/trace" >/dev/null 2>&1 & host_pid=$!
click "$(wait_win $host_pid '^Serverauswahl$')" 32 212 1
for _ in $(seq 100); do port=$(grep -ao 'Hosting on port [0-9]*' "$work/host/log.txt" 2>/dev/null | grep -o '[0-9]*$' || true); [ -n "$port" ] && break; sleep 0.05; done
if [ -n "$delay" ]; then
  python3 "$(dirname "$0")/delay-relay.py" "$port" --delay-ms "$delay" --jitter-ms "$jitter" > "$work/relay" 2>&1 & relay_pid=$!
  for _ in $(seq 100); do p=$(sed -n 's/^port \([0-9]*\)$/\1/p' "$work/relay"); [ -n "$p" ] && break; sleep 0.05; done
  [ -n "$p" ] || { echo "relay did not start" >&2; exit 1; }
  port=$p
  echo "client through a relay delaying each direction $delay ms +- $jitter ms"
fi
"$build/orbitfall" --user-dir "$work/client/" --order-trace "$work/client/trace" >/dev/null 2>&1 & client_pid=$!
sel=$(wait_win $client_pid '^Serverauswahl$'); click "$sel" 80 18 1
xdotool windowfocus --sync "$sel" key --clearmodifiers ctrl+a BackSpace type "127.0.0.1:$port"; click "$sel" 88 212 1
wait_win $client_pid '^lobbyform$' >/dev/null
# Zweikampf, the fourth shipped map, has the two start views two players need.
lobby=$(wait_win $host_pid '^lobbyform$'); click "$lobby" 80 18 1; sleep 0.3; xdotool key Down Down Down Return; sleep 0.2
click "$lobby" 45 220 1
hg=$(wait_win $host_pid '^(Orbitfall|Move:)'); cg=$(wait_win $client_pid '^(Orbitfall|Move:)'); sleep 2
: > "$work/clicks"
for i in $(seq "$orders"); do
  for side in host client; do
    w=$hg; [ $side = client ] && w=$cg
    xdotool windowraise "$w" mousemove --window "$w" 348 180
    echo "$side $(now_ms)" >> "$work/clicks"; xdotool click 3
  done
  sleep 0.$((RANDOM % 20 + 10))
done
sleep 1; "$build/tests/tools/x-close" "$hg"
sleep 2; "$build/tests/tools/x-close" "$cg"; sleep 1
"$build/tests/tools/x-close" "$(win $client_pid '^lobbyform$')"; "$build/tests/tools/x-close" "$(win $host_pid '^lobbyform$')"
wait $host_pid $client_pid || true
python3 - "$work" <<'PY'
import struct, sys, statistics
work = sys.argv[1]
for side, player in (("host", 1), ("client", 2)):
    clicks = [int(l.split()[1]) for l in open(f"{work}/clicks") if l.startswith(side)]
    starts = {}
    for l in open(f"{work}/{side}/trace"):
        f = l.split()
        if f[0] == "frame": starts[int(f[1])] = int(f[2])
    data = open(f"{work}/{side}/Replays/Latest.ofr", "rb").read(); pos = 0; executed = []
    while pos + 9 <= len(data):
        frame, _, count = struct.unpack_from("<iIB", data, pos); pos += 9
        for _ in range(count):
            kind, flags, pl, issued = struct.unpack_from("<BBBi", data, pos); pos += 23
            if kind == 4 and pl == player: executed.append((frame, issued))
    n = min(len(clicks), len(executed))
    ms = sorted(starts[f] - c for c, (f, _) in zip(clicks, executed[:n]))
    fr = sorted(f - i for f, i in executed[:n])
    print(f"{side}: {n} orders; click to executing frame: median {statistics.median(ms):.0f} ms, max {max(ms)} ms;"
          f" frames between issue and execution: median {statistics.median(fr):.0f}, max {max(fr)}")
PY
