# What the namespace tests share, sourced after `set -euo pipefail`: the
# namespace helpers, a work folder, the processes started (pids, killed at
# the end) and fail, which shows what the programs wrote and ends the test.
# Everything made here goes when the test ends, however it ends.
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/netns.sh"
work=$(mktemp -d)
pids=()

cleanup() {
    for pid in "${pids[@]}"; do kill -9 "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    netns_teardown
    rm -rf "$work"
}
trap cleanup EXIT

# The programs' output and logs without their frame lines, the last of each.
fail() {
    echo "FAIL: $*" >&2
    for f in "$work"/*.txt "$work"/*/log.txt; do
        [[ -f $f ]] && { echo "--- $f" >&2; grep -av '^frame ' "$f" | tail -15 >&2; }
    done
    exit 1
}
