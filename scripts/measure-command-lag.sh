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
# Every step has a time limit: a window that never shows, an X call that
# fails on a window gone meanwhile (BadWindow) or waits for a focus that
# never comes ends that step with a message, never the whole run in a hang.
step_seconds=${STEP_SECONDS:-30}
host_pid=""; client_pid=""; relay_pid=""
work=$(mktemp -d)
cleanup() { kill $host_pid $client_pid $relay_pid 2>/dev/null || true; rm -rf "$work"; }
trap cleanup EXIT
# start_xvfb sets its own EXIT trap; both must run.
if [ -z "${DISPLAY:-}" ]; then source "$(dirname "$0")/xvfb.sh"; start_xvfb; trap 'cleanup; stop_xvfb' EXIT; fi
step_failed() { echo "felt lag: step failed: $*" >&2; exit 1; }
xdo() { timeout 5 xdotool "$@" 2>/dev/null; }
win() { xdo search --all --onlyvisible --pid "$1" --name "$2" | head -1 || true; }
# A window counts once it is mapped and answers; a lookup that fails is
# tried again until the step's time is up or its program has ended.
wait_win() {
  local deadline=$((SECONDS + step_seconds)) w
  while [ "$SECONDS" -lt "$deadline" ] && kill -0 "$1" 2>/dev/null; do
    w=$(win "$1" "$2")
    if [ -n "$w" ] && xdo getwindowgeometry "$w" >/dev/null; then echo "$w"; return 0; fi
    sleep 0.1
  done
  return 1
}
click() { xdo windowraise "$1" mousemove --window "$1" "$2" "$3" click "$4"; }
now_ms() { date +%s%3N; }
# Waits for a line of FILE that sed's PATTERN turns into a number.
wait_number() {
  local deadline=$((SECONDS + step_seconds)) n
  while [ "$SECONDS" -lt "$deadline" ]; do
    n=$(sed -n "$2" "$1" 2>/dev/null | head -1)
    [ -n "$n" ] && { echo "$n"; return 0; }
    sleep 0.05
  done
  return 1
}
close_win() { [ -n "$1" ] && timeout 5 "$build/tests/tools/x-close" "$1" 2>/dev/null || true; }

mkdir -p "$work/host" "$work/client"
"$build/orbitfall" --user-dir "$work/host/" --port 0 --order-trace "$work/host/trace" >/dev/null 2>&1 & host_pid=$!
sel=$(wait_win $host_pid '^Serverauswahl$') || step_failed "the host's Serverauswahl did not show"
click "$sel" 32 212 1 || step_failed "clicking the host's Host button"
port=$(wait_number "$work/host/log.txt" 's/.*Hosting on port \([0-9]*\).*/\1/p') || step_failed "the host did not listen"
if [ -n "$delay" ]; then
  python3 "$(dirname "$0")/delay-relay.py" "$port" --delay-ms "$delay" --jitter-ms "$jitter" > "$work/relay" 2>&1 & relay_pid=$!
  port=$(wait_number "$work/relay" 's/^port \([0-9]*\)$/\1/p') || step_failed "the relay did not start"
  echo "client through a relay delaying each direction $delay ms +- $jitter ms"
fi
"$build/orbitfall" --user-dir "$work/client/" --order-trace "$work/client/trace" >/dev/null 2>&1 & client_pid=$!
sel=$(wait_win $client_pid '^Serverauswahl$') || step_failed "the client's Serverauswahl did not show"
# Typing needs the focus; a focus that does not come in time is asked for again.
joined=""
for _ in 1 2 3; do
  click "$sel" 80 18 1 && xdo windowfocus --sync "$sel" &&
    xdo key --clearmodifiers ctrl+a BackSpace type "127.0.0.1:$port" && click "$sel" 88 212 1 || continue
  wait_win $client_pid '^lobbyform$' >/dev/null && { joined=1; break; }
done
[ -n "$joined" ] || step_failed "the client did not join"
# Zweikampf, the fourth shipped map, has the two start views two players need.
lobby=$(wait_win $host_pid '^lobbyform$') || step_failed "the host's lobby did not show"
click "$lobby" 80 18 1 && sleep 0.3 && xdo key Down Down Down Return && sleep 0.2 &&
  click "$lobby" 45 220 1 || step_failed "choosing the map and starting"
hg=$(wait_win $host_pid '^(Orbitfall|Move:)') || step_failed "the host's game window did not show"
cg=$(wait_win $client_pid '^(Orbitfall|Move:)') || step_failed "the client's game window did not show"
sleep 2
: > "$work/clicks"
missed=0
for i in $(seq "$orders"); do
  for side in host client; do
    w=$hg; [ $side = client ] && w=$cg
    # A click that could not be made is not written down: the orders and
    # the clicks stay paired.
    xdo windowraise "$w" mousemove --window "$w" 348 180 || { missed=$((missed + 1)); continue; }
    t=$(now_ms)
    xdo click 3 && echo "$side $t" >> "$work/clicks" || missed=$((missed + 1))
  done
  sleep 0.$((RANDOM % 20 + 10))
done
[ "$missed" -eq 0 ] || echo "felt lag: $missed clicks could not be made" >&2
sleep 1; close_win "$hg"
sleep 2; close_win "$cg"; sleep 1
close_win "$(win $client_pid '^lobbyform$')"; close_win "$(win $host_pid '^lobbyform$')"
# Both end once their windows are closed; one that does not is ended, and
# what it wrote is measured as it is.
for _ in $(seq $((step_seconds * 10))); do
  kill -0 $host_pid 2>/dev/null || kill -0 $client_pid 2>/dev/null || break
  sleep 0.1
done
if kill -0 $host_pid 2>/dev/null || kill -0 $client_pid 2>/dev/null; then
  echo "felt lag: a copy did not end after its windows were closed" >&2
  kill $host_pid $client_pid 2>/dev/null || true
fi
wait $host_pid $client_pid 2>/dev/null || true
python3 - "$work" <<'PY'
import struct, sys, statistics
work = sys.argv[1]
def measure(side, player):
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
    if n == 0: raise ValueError(f"{len(clicks)} clicks, {len(executed)} orders executed")
    ms = sorted(starts[f] - c for c, (f, _) in zip(clicks, executed[:n]))
    fr = sorted(f - i for f, i in executed[:n])
    print(f"{side}: {n} orders; click to executing frame: median {statistics.median(ms):.0f} ms, max {max(ms)} ms;"
          f" frames between issue and execution: median {statistics.median(fr):.0f}, max {max(fr)}")
failed = False
for side, player in (("host", 1), ("client", 2)):
    # One side that wrote nothing usable still lets the other be measured.
    try:
        measure(side, player)
    except (OSError, ValueError, KeyError, struct.error) as e:
        print(f"{side}: no measurement: {e}")
        failed = True
sys.exit(1 if failed else 0)
PY
