# Network namespaces joined by veth pairs, for the tests and measurements
# that need a real link (root). Sourced, not run:
#
#   source scripts/netns.sh
#   netns_add NAME...              # new namespaces, loopback up; fails loudly
#   netns_link NS_A NS_B K         # the K-th veth pair (K = 1, 2, ...):
#                                  # $(netns_net K).1/24 in NS_A, .2/24 in NS_B
#   netns_veth a|b K               # the name of its end in NS_A or NS_B
#   netns_cut NS_A NS_B K          # from now on no frame crosses that pair
#   netns_teardown                 # deletes every namespace made here
#
# Names carry the caller's pid, so runs side by side never meet; the caller
# calls netns_teardown from its EXIT trap. Nothing made here reaches beyond
# the namespaces: the host's own interfaces and routes stay untouched.

netns_id=$$
netns_made=()

# A /24 for the K-th link of this run ("10.A.B"), apart from other runs'.
netns_net() {
    echo "10.$((netns_id % 200 + 20)).$((((netns_id / 200) * 4 + $1) % 250 + 1))"
}

netns_add() {
    local ns
    for ns in "$@"; do
        ip netns add "$ns" || { echo "cannot create network namespace $ns (root needed)" >&2; return 1; }
        netns_made+=("$ns")
        ip netns exec "$ns" ip link set lo up || return 1
    done
}

# At most 15 characters, as interface names must be.
netns_veth() { echo "of${netns_id}$1$2"; }

netns_link() {
    local a=$1 b=$2 k=$3
    local net veth_a veth_b
    net=$(netns_net "$k")
    veth_a=$(netns_veth a "$k")
    veth_b=$(netns_veth b "$k")
    ip link add "$veth_a" type veth peer name "$veth_b" || { echo "cannot create veth pair" >&2; return 1; }
    ip link set "$veth_a" netns "$a" && ip link set "$veth_b" netns "$b" || return 1
    ip netns exec "$a" ip addr add "$net.1/24" brd + dev "$veth_a" || return 1
    ip netns exec "$b" ip addr add "$net.2/24" brd + dev "$veth_b" || return 1
    ip netns exec "$a" ip link set "$veth_a" up && ip netns exec "$b" ip link set "$veth_b" up
}

# A cable pulled, a machine switched off: each side keeps its link, address
# and route, so nothing fails locally and nothing is closed; every frame
# simply goes to a hardware address nobody has and is dropped on arrival.
netns_cut() {
    local a=$1 b=$2 k=$3
    local net
    net=$(netns_net "$k")
    ip netns exec "$a" ip neigh replace "$net.2" lladdr 02:00:00:00:00:01 nud permanent \
        dev "$(netns_veth a "$k")" || return 1
    ip netns exec "$b" ip neigh replace "$net.1" lladdr 02:00:00:00:00:02 nud permanent \
        dev "$(netns_veth b "$k")"
}

netns_teardown() {
    local ns
    for ns in "${netns_made[@]}"; do ip netns del "$ns" 2>/dev/null || true; done
    netns_made=()
}
