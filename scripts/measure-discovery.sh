#!/usr/bin/env bash
# Measures finding a game across a link (root): a host waiting in its lobby
# in one network namespace, `orbitfall-sim find` in another, joined by a veth
# pair. Prints, over 10 runs, the milliseconds from sending the query to the
# game being listed (find --stats; the server selection lists an answer on
# the same event-loop turn it arrives), the same from starting the find
# process (what a script sees, process start included), and the bytes one
# round puts on the link: UDP payload and the veth counters (Ethernet frames).
# With a DISPLAY (e.g. under scripts/with-xvfb.sh) it also starts the real
# game in the other namespace 10 times and reads from its log how long after
# the query the Serverauswahl list showed the game ("Found game ... after N
# ms", written when the list is rebuilt with it).
# Usage: scripts/measure-discovery.sh [build-dir]   (default: build)
set -euo pipefail
# Whatever this starts outside the namespaces asks on loopback only; inside
# them the query goes to the link's broadcast address.
export ORBITFALL_DISCOVERY=loopback
cd "$(dirname "$0")/.."
sim=$(realpath "${1:-build}/orbitfall-sim")
source scripts/netns.sh
ns_host=ofmh$$
ns_peer=ofmp$$
veth_peer=$(netns_veth b 1)
work=$(mktemp -d)
host_pid=""
cleanup() {
    [[ -n $host_pid ]] && kill "$host_pid" 2>/dev/null || true
    wait 2>/dev/null || true
    netns_teardown
    rm -rf "$work"
}
trap cleanup EXIT

netns_add "$ns_host" "$ns_peer"
netns_link "$ns_host" "$ns_peer" 1

counter() { ip netns exec "$ns_peer" cat "/sys/class/net/$veth_peer/statistics/$1"; }
now_ms() { echo $(( $(date +%s%N) / 1000000 )); }

# A host for three clients in its namespace, returned once its UDP port is
# bound; host_pid is its process.
start_host() {
    ip netns exec "$ns_host" env -u ORBITFALL_DISCOVERY "$sim" host --clients 3 --map Kreuzung --frames 1 \
        --user-dir "$work/" >"$work/host.txt" 2>&1 &
    host_pid=$!
    for _ in $(seq 1 200); do
        ip netns exec "$ns_host" ss -uln | grep -q ':6112 ' && break
        sleep 0.01
    done
}

times=()
listed=()
for run in $(seq 1 10); do
    start_host
    tx0=$(counter tx_bytes); rx0=$(counter rx_bytes); txp0=$(counter tx_packets); rxp0=$(counter rx_packets)
    start=$(now_ms)
    got=""
    while read -r line; do
        [[ $line == game* ]] && { got=$(now_ms); echo "$line" >"$work/line.txt"; }
        [[ $line == stats* ]] && echo "$line" >"$work/stats.txt"
    done < <(ip netns exec "$ns_peer" env -u ORBITFALL_DISCOVERY "$sim" find --seconds 1 --stats)
    [[ -n $got ]] || { echo "run $run: no answer; the host said:" >&2; cat "$work/host.txt" >&2; exit 1; }
    times+=($((got - start)))
    listed+=($(awk '{print $9}' "$work/stats.txt"))
    tx=$(( $(counter tx_bytes) - tx0 )); rx=$(( $(counter rx_bytes) - rx0 ))
    txp=$(( $(counter tx_packets) - txp0 )); rxp=$(( $(counter rx_packets) - rxp0 ))
    kill "$host_pid" 2>/dev/null || true
    wait "$host_pid" 2>/dev/null || true
    host_pid=""
done
window_times=()
if [[ -n ${DISPLAY:-} && -x $(dirname "$sim")/orbitfall ]]; then
    game=$(dirname "$sim")/orbitfall
    start_host
    for run in $(seq 1 10); do
        mkdir -p "$work/w$run"
        ip netns exec "$ns_peer" env -u ORBITFALL_DISCOVERY "$game" --user-dir "$work/w$run/" >/dev/null 2>&1 &
        game_pid=$!
        line=""
        for _ in $(seq 1 1000); do
            line=$(grep -a "Found game" "$work/w$run/log.txt" 2>/dev/null | head -1) && [[ -n $line ]] && break
            sleep 0.01
        done
        kill "$game_pid" 2>/dev/null || true
        wait "$game_pid" 2>/dev/null || true
        [[ -n $line ]] || { echo "window run $run: not listed" >&2; exit 1; }
        window_times+=($(sed -n 's/.* after \([0-9.]*\) ms.*/\1/p' <<<"$line"))
    done
    kill "$host_pid" 2>/dev/null || true
    wait "$host_pid" 2>/dev/null || true
    host_pid=""
fi

median() { printf '%s\n' "$@" | sort -g | awk '{v[NR]=$1} END {printf "median %s min %s max %s", (v[5]+v[6])/2, v[1], v[10]}'; }
echo "answer line: $(cat "$work/line.txt")"
echo "$(cat "$work/stats.txt")"
echo "query to listed (ms, 10 runs): $(median "${listed[@]}")  all: ${listed[*]}"
echo "find process start to line (ms, 10 runs): $(median "${times[@]}")  all: ${times[*]}"
if (( ${#window_times[@]} )); then
    echo "window: $(tr -d '\r' <<<"$line" | cut -f4)"
    echo "Serverauswahl query to game listed (ms, 10 runs): $(median "${window_times[@]}")  all: ${window_times[*]}"
fi
echo "last round on the link: sent $tx bytes in $txp frames, received $rx bytes in $rxp frames (Ethernet frames; ARP included when the neighbour was not known)"
