#!/usr/bin/env bash
# Finding and joining a game across a real link: a host in one network
# namespace, `find` and `join` in another, joined by a veth pair. Only inside
# these namespaces is ORBITFALL_DISCOVERY cleared, so the query really goes
# to the link's broadcast address; nothing leaves them. Needs root (as CI
# has): a namespace that cannot be made is a failure, not a skip.
#
#   discovery_netns.sh ORBITFALL_SIM
set -euo pipefail

sim=${1:?usage: discovery_netns.sh ORBITFALL_SIM}
source "$(dirname "$0")/netns_test.sh"
ns_host=ofdh$$
ns_peer=ofdp$$
net=$(netns_net 1)
veth_peer=$(netns_veth b 1)

netns_add "$ns_host" "$ns_peer" || fail "cannot create the network namespaces (root needed)"
netns_link "$ns_host" "$ns_peer" 1 || fail "cannot link the namespaces"

# For the foreground: started with &, a function runs in a subshell whose
# pid is not the program's, and the kill at the end would miss the program.
in_peer() { ip netns exec "$ns_peer" env -u ORBITFALL_DISCOVERY "$@"; }

mkdir -p "$work/host" "$work/peer"
ip netns exec "$ns_host" env -u ORBITFALL_DISCOVERY "$sim" host --clients 1 --map Zweikampf --frames 200 --frame-ms 20 --seed 7 \
    --user-dir "$work/host" >"$work/host.txt" 2>&1 &
pids+=($!)

# The host needs a moment to listen; ask until it answers.
found=""
for _ in $(seq 1 50); do
    found=$(in_peer "$sim" find --seconds 0.3 || true)
    [[ -n $found ]] && break
done
machine=$(hostname)
expected="game $net.1 6112 ${machine// /_} Zweikampf 1 2"
[[ $found == "$expected" ]] || fail "find in the other namespace printed '$found', expected '$expected'"
echo "found: $found"

# Join over the link by the address find gave; the game runs on both sides.
address=$(awk '{print $2}' <<<"$found")
ip netns exec "$ns_peer" env -u ORBITFALL_DISCOVERY "$sim" join "$address" --frames 200 --user-dir "$work/peer" >"$work/join.txt" 2>&1 &
join_pid=$!
pids+=($join_pid)
for _ in $(seq 1 100); do
    grep -q '^frame 20 ' "$work/join.txt" 2>/dev/null && break
    sleep 0.1
done
grep -q '^frame 20 ' "$work/join.txt" || fail "the client did not play"

# A game that has started does not answer any more.
late=$(in_peer "$sim" find --seconds 0.5 || true)
[[ -z $late ]] || fail "a running game still answered: '$late'"

wait "$join_pid" || fail "join ended with an error"
wait "${pids[0]}" || fail "host ended with an error"
host_frames=$(grep -c '^frame ' "$work/host.txt")
[[ $host_frames -ge 200 ]] || fail "host played $host_frames frames"
# Every frame both played has the same checksum on both machines.
if ! diff <(grep '^frame ' "$work/host.txt" | head -200) <(grep '^frame ' "$work/join.txt" | head -200) >/dev/null; then
    fail "host and client checksums differ"
fi
echo "ok: found, joined and played 200 frames over $veth_peer; a started game stays silent"
