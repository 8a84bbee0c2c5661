#!/usr/bin/env bash
# Measures lockstep play on loopback with real processes:
#  1. the 50 ms host frame with two clients issuing orders every 5 frames:
#     the clients' Lag (median, maximum) and the bytes on the wire per frame;
#  2. the default start (host and three clients, 4 x 200 ships on Kreuzung)
#     with a 1 ms host frame: frames per second of host and clients;
#  3. both again with every client joining through scripts/delay-relay.py,
#     which delays each direction by 100 ms +- 20 ms (byte order kept);
#  4. the lag a player feels from a right click, on host and client, with
#     the windowed game (scripts/measure-command-lag.sh, under an Xvfb of its
#     own when DISPLAY is unset), directly and through the same relay.
# Every step has a time limit; a step that fails or runs out of time says so
# and the next one runs.
# Usage: scripts/measure-network.sh [build-dir]   (default: build)
set -euo pipefail
# Whatever this starts looks for games on loopback only, never on the
# network around this machine.
export ORBITFALL_DISCOVERY=loopback
cd "$(dirname "$0")/.."
sim=${1:-build}/orbitfall-sim
work=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null || true; rm -rf "$work"' EXIT

orders() {  # frames, x, y: an order every 5 frames, alternating targets
  for ((f = 5; f < $1; f += 5)); do
    echo "$f selectall"
    if (( (f / 5) % 2 )); then echo "$f move $2 $3"; else echo "$f move $3 $2"; fi
  done
}

host_port() {  # waits for the host's "port N" line
  for _ in $(seq 100); do
    p=$(sed -n 's/^port \([0-9]*\)$/\1/p' "$1" | head -1)
    [ -n "$p" ] && { echo "$p"; return 0; }
    sleep 0.05
  done
  echo "host did not start" >&2; return 1
}

# The longest a game of this script may take (the slowest, 2000 frames
# through the relay, takes well under a minute).
game_seconds=300

run_game() {  # name map frames frame-ms clients [relay: delay-ms jitter-ms]
  local name=$1 map=$2 frames=$3 ms=$4 clients=$5 delay=${6:-} jitter=${7:-0}
  mkdir -p "$work/$name/h"
  orders "$frames" 100 200 > "$work/$name/h/s.txt"
  timeout $game_seconds "$sim" host --port 0 --clients "$clients" --map "$map" --frames "$frames" --frame-ms "$ms" \
    --seed 424242 --stats --script "$work/$name/h/s.txt" --user-dir "$work/$name/h/" > "$work/$name/h/out.txt" 2>&1 &
  local hpid=$! rpid="" pids=()
  # A step that gives up takes its processes with it.
  given_up() { echo "== $name: failed ($1)"; kill $hpid $rpid "${pids[@]}" 2>/dev/null || true; return 1; }
  local port; port=$(host_port "$work/$name/h/out.txt") || { given_up "the host did not start"; return 1; }
  local via=""
  if [ -n "$delay" ]; then
    timeout $game_seconds python3 scripts/delay-relay.py "$port" --delay-ms "$delay" --jitter-ms "$jitter" \
      > "$work/$name/relay.txt" 2>&1 &
    rpid=$!
    port=$(host_port "$work/$name/relay.txt") || { given_up "the relay did not start"; return 1; }
    via=", clients through a relay delaying each direction ${delay} ms +- ${jitter} ms"
  fi
  for ((c = 1; c <= clients; c++)); do
    mkdir -p "$work/$name/c$c"
    orders "$frames" $((60 * c)) 150 > "$work/$name/c$c/s.txt"
    timeout $game_seconds "$sim" join 127.0.0.1 --port "$port" --frames "$frames" --stats \
      --script "$work/$name/c$c/s.txt" --user-dir "$work/$name/c$c/" > "$work/$name/c$c/out.txt" 2>&1 &
    pids+=($!)
    sleep 0.3
  done
  local failed=""
  wait "$hpid" || failed="host"
  for p in "${pids[@]}"; do wait "$p" || failed="$failed client"; done
  if [ -n "$rpid" ]; then kill "$rpid"; wait "$rpid" 2>/dev/null || true; fi
  [ -z "$failed" ] || { given_up "$failed ended with an error or ran out of time"; return 1; }
  echo "== $name: $map, $((clients + 1)) players, $frames frames, host frame $ms ms$via"
  for d in h $(seq -f 'c%g' 1 "$clients"); do
    line=$(grep '^stats' "$work/$name/$d/out.txt")
    echo "  $d: $line"
    if [ "$d" = h ]; then
      sent=$(echo "$line" | sed 's/.*bytes-sent \([0-9]*\).*/\1/')
      echo "      host bytes sent per frame: $((sent / frames)) (to all $clients clients)"
    else
      sent=$(echo "$line" | sed 's/.*bytes-sent \([0-9]*\).*/\1/')
      echo "      client bytes sent per frame: $((sent / frames))"
    fi
  done
  if cmp -s "$work/$name/h/Replays/Latest.ofr" "$work/$name/c1/Replays/Latest.ofr"; then
    echo "  replays identical"
  else
    echo "  replays differ"; return 1
  fi
}

step() {  # name command...: one measurement; a failure is reported, the next one runs
  local name=$1; shift
  "$@" || echo "== $name: FAILED (exit $?)"
}
step lag50 run_game lag50 Zweikampf 200 50 2
step fast1 run_game fast1 Kreuzung 2000 1 3
step lag50-relay run_game lag50-relay Zweikampf 200 50 2 100 20
step fast1-relay run_game fast1-relay Kreuzung 2000 1 3 100 20
felt_lag() {  # title, then measure-command-lag.sh's arguments after the build
  local title=$1; shift
  echo "== $title: orbitfall, 2 players, host frame 50 ms"
  timeout 600 scripts/measure-command-lag.sh "${build}" "$@" 2>&1 | sed 's/^/  /'
}
build=${1:-build}
step "felt lag" felt_lag "felt lag" 60
step "felt lag-relay" felt_lag "felt lag-relay" 60 100 20
