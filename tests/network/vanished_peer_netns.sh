#!/usr/bin/env bash
# Peers that vanish without closing their connections (a pulled cable, a
# machine switched off): nothing but silence reaches the other side. A host
# and its clients each in a network namespace of their own, a veth pair to
# each client; the cut drops every frame on a pair while both ends stay up,
# so no FIN or RST is ever sent and nothing fails locally.
#
# Each side must notice within 30 s of the cut, and says so as it does for a
# peer that leaves in order:
#  - in the lobby: the host lists the player as gone ("playerleft"), the
#    client's lobby says the connection was interrupted; a connection that
#    never greeted is closed after the greeting wait;
#  - in a game with three clients: the host drops the vanished one and plays
#    on with the others, the vanished client stops with "connectioninterrupted";
#  - then the last two clients, behind one link: the same both ways.
# The measured times are printed. Needs root (as CI has): a namespace that
# cannot be made is a failure, not a skip.
#
#   vanished_peer_netns.sh ORBITFALL_SIM
set -euo pipefail

sim=${1:?usage: vanished_peer_netns.sh ORBITFALL_SIM}
source "$(dirname "$0")/netns_test.sh"
ns_host=ofxh$$
ns_a=ofxa$$
ns_b=ofxb$$
ns_lobby=ofxl$$
bound_ms=30000

netns_add "$ns_host" "$ns_a" "$ns_b" "$ns_lobby" || fail "cannot create the network namespaces (root needed)"
netns_link "$ns_host" "$ns_a" 1 || fail "cannot link the namespaces"
netns_link "$ns_host" "$ns_b" 2 || fail "cannot link the namespaces"
netns_link "$ns_host" "$ns_lobby" 3 || fail "cannot link the namespaces"

# Everything stays on the namespaces' own links: loopback discovery, and
# joins by address.
export ORBITFALL_DISCOVERY=loopback
# Run in the foreground only: a function started with & runs in a subshell
# whose pid is not the program's, and killing it would leave the program.
in_ns() { local ns=$1; shift; ip netns exec "$ns" "$@"; }
now_ms() { echo $(($(date +%s%N) / 1000000)); }

# Waits until FILE holds a line matching the fixed TEXT; gives up after
# SECONDS. Prints the milliseconds since START.
wait_for() {
    local file=$1 text=$2 start=$3 seconds=$4
    local deadline=$(($(now_ms) + seconds * 1000))
    while (($(now_ms) < deadline)); do
        if grep -aqF -- "$text" "$file" 2>/dev/null; then
            echo $(($(now_ms) - start))
            return 0
        fi
        sleep 0.05
    done
    return 1
}

# Watches for several departures at once, each given as "WHAT|FILE|TEXT"
# or "WHAT|FILE|TEXT|SINCE", and notes when each TEXT first shows in its
# FILE, in ms since SINCE (default: the cut at START). Prints each time, and
# fails on one later than the bound or never seen.
noticed_all() {
    local start=$1; shift
    local -A seen=()
    local deadline=$((start + bound_ms + 10000)) item what file text since
    while ((${#seen[@]} < $#)) && (($(now_ms) < deadline)); do
        for item in "$@"; do
            IFS='|' read -r what file text since <<<"$item"
            [[ -z ${seen[$what]:-} ]] && grep -aqF -- "$text" "$file" 2>/dev/null &&
                seen[$what]=$(($(now_ms) - ${since:-$start}))
        done
        sleep 0.05
    done
    for item in "$@"; do
        IFS='|' read -r what file text since <<<"$item"
        [[ -n ${seen[$what]:-} ]] || fail "$what: not seen"
        echo "$what: ${seen[$what]} ms after the $([[ -n $since ]] && echo connect || echo cut)"
        ((${seen[$what]} <= bound_ms)) || fail "$what took ${seen[$what]} ms, more than $bound_ms ms"
    done
}

frames_of() { grep -ac '^frame ' "$1" 2>/dev/null || echo 0; }

interrupted=$(grep -a '^connectioninterrupted=' "$(dirname "$0")/../../Game/Data/Language/DE.lang" | cut -d= -f2- | tr -d '\r')
left_text() { grep -a '^playerleft=' "$(dirname "$0")/../../Game/Data/Language/DE.lang" | cut -d= -f2- | tr -d '\r' | sed "s/%s/$1/"; }
[[ -n $interrupted && -n $(left_text x) ]] || fail "the language file lacks the departure texts"

host_net_a=$(netns_net 1)
host_net_b=$(netns_net 2)
host_net_l=$(netns_net 3)
mkdir -p "$work/host" "$work/lobby" "$work/a" "$work/b" "$work/c" "$work/l"

# A game host for three clients on 6112 (Kreuzung is for four players), and
# a host on 6113 whose lobby never fills, for the departures before a start.
ip netns exec "$ns_host" "$sim" host --clients 3 --map Kreuzung --frames 1000000 --frame-ms 50 --seed 5 \
    --user-dir "$work/host/" >"$work/host.txt" 2>&1 &
pids+=($!)
ip netns exec "$ns_host" "$sim" host --port 6113 --clients 3 --map Kreuzung --frames 10 \
    --user-dir "$work/lobby/" >"$work/lobby.txt" 2>&1 &
pids+=($!)
for _ in $(seq 1 100); do
    listening=$(in_ns "$ns_host" ss -tln)
    [[ $listening == *:6112\ * && $listening == *:6113\ * ]] && break
    sleep 0.05
done
[[ $listening == *:6112\ * && $listening == *:6113\ * ]] || fail "the hosts did not listen"

# The lobby: a client that is seated, and a connection that never greets.
ip netns exec "$ns_lobby" "$sim" join "$host_net_l.1" --port 6113 --user-dir "$work/l/" >"$work/l.txt" 2>&1 &
lobby_client=$!
pids+=($lobby_client)
wait_for "$work/lobby.txt" "lobby: A player joined the game" "$(now_ms)" 10 >/dev/null ||
    fail "the lobby client was not seated"
# One process holding the socket, so that the kill at the end closes it.
mute_start=$(now_ms)
ip netns exec "$ns_lobby" bash -c "exec 3<>/dev/tcp/$host_net_l.1/6113 && exec sleep 120" >/dev/null 2>&1 &
pids+=($!)

# The game: client A behind one link, clients B and C behind another.
join_game() {
    local ns=$1 net=$2 name=$3
    ip netns exec "$ns" "$sim" join "$net.1" --frames 1000000 --user-dir "$work/$name/" >"$work/$name.txt" 2>&1 &
    pids+=($!)
    clients+=($!)
    # Seated in turn: the host names A, B and C Player 1, 2 and 3.
    local seated=$((${#clients[@]}))
    for _ in $(seq 1 200); do
        (($(grep -ac "lobby: A player joined the game" "$work/host.txt") >= seated)) && return 0
        sleep 0.05
    done
    fail "client $name was not seated"
}
clients=()
join_game "$ns_a" "$host_net_a" a
join_game "$ns_b" "$host_net_b" b
join_game "$ns_b" "$host_net_b" c
for name in a b c; do
    wait_for "$work/$name.txt" "frame 20 " "$(now_ms)" 30 >/dev/null || fail "client $name did not play"
done

# The lobby client and client A vanish at once.
cut=$(now_ms)
netns_cut "$ns_host" "$ns_lobby" 3 || fail "cannot cut the lobby's link"
netns_cut "$ns_host" "$ns_a" 1 || fail "cannot cut client A's link"

noticed_all "$cut" \
    "host closed the connection that never greeted (greeting wait 10 s)|$work/lobby/log.txt|A connection did not greet in time: closed|$mute_start" \
    "host's lobby noticed the vanished client|$work/lobby.txt|lobby: $(left_text 'Player 1')" \
    "lobby client noticed the vanished host|$work/l.txt|lobby: $interrupted" \
    "game host noticed the vanished client A|$work/host.txt|lobby: $(left_text 'Player 1')" \
    "client A noticed the vanished host|$work/a.txt|$interrupted"

# Clients B and C play on with the host, in step with it.
for name in b c; do
    before=$(frames_of "$work/$name.txt")
    sleep 1
    after=$(frames_of "$work/$name.txt")
    ((after > before + 5)) || fail "client $name did not play on: $before frames, 1 s later $after"
    if ! diff <(grep -a '^frame ' "$work/host.txt" | head -"$after") \
        <(grep -a '^frame ' "$work/$name.txt" | head -"$after") >/dev/null; then
        fail "host and client $name checksums differ"
    fi
    echo "client $name played on: $((after - before)) frames in 1 s, the same $after frames as the host"
done

# Now the last clients vanish.
cut=$(now_ms)
netns_cut "$ns_host" "$ns_b" 2 || fail "cannot cut the link of clients B and C"
noticed_all "$cut" \
    "game host noticed the vanished client B|$work/host.txt|lobby: $(left_text 'Player 2')" \
    "client B noticed the vanished host|$work/b.txt|$interrupted" \
    "game host noticed the vanished client C|$work/host.txt|lobby: $(left_text 'Player 3')" \
    "client C noticed the vanished host|$work/c.txt|$interrupted"

# With its last client gone the host plays on alone, as it does when a
# client leaves in order.
before=$(frames_of "$work/host.txt")
sleep 1
after=$(frames_of "$work/host.txt")
((after > before + 5)) || fail "the host stopped with its last client: $before frames, 1 s later $after"
echo "host played on alone: $((after - before)) frames in 1 s"

# Each client ends with an error, not as if the game had ended.
for pid in "$lobby_client" "${clients[@]}"; do
    status=0
    wait "$pid" || status=$?
    ((status == 1)) || fail "a client that lost its host ended with status $status"
done
echo "ok: vanished peers noticed within $bound_ms ms both ways, in the lobby and in the game"
