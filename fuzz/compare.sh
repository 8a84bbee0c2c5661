#!/usr/bin/env bash
# Runs two builds of the fuzz targets side by side, each time from its own
# seeds and an empty work corpus, with fuzz/run.sh's options, and prints the
# median executions per second and coverage of each. Side by side, both
# builds see the same load on the machine.
#
#   bash fuzz/compare.sh OLD_ROOT OLD_BUILD [SECONDS] [RUNS] [TARGET...]
# OLD_ROOT is the checkout the old build was made from (its seeds and
# dictionaries); the new side is this checkout and $ORBITFALL_FUZZ_BUILD
# (default build-fuzz), both built beforehand.
set -euo pipefail
# The targets start hosts and clients (and the host answers discovery
# queries): looking for games stays on loopback, never the network around.
export ORBITFALL_DISCOVERY=loopback

old_root=$1
old_build=$2
seconds=${3:-30}
runs=${4:-3}
shift 4 || shift $#
root=$(cd "$(dirname "$0")/.." && pwd)
new_build=${ORBITFALL_FUZZ_BUILD:-$root/build-fuzz}
if (($#)); then targets=("$@"); else targets=(fuzz_game_load fuzz_replay fuzz_lockstep_host fuzz_lockstep_client); fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# run SIDE ROOT BUILD TARGET INDEX: one run, its last status line kept.
run() {
    local side=$1 src=$2 build=$3 target=$4 i=$5
    local corpus="$work/$side-$target-$i"
    local opts=()
    mkdir -p "$corpus"
    [[ -f "$src/fuzz/$target.dict" ]] && opts+=(-dict="$src/fuzz/$target.dict")
    # The options fuzz/run.sh of that checkout gives the target.
    grep -qE "$target[|)].*detect_leaks=0" "$src/fuzz/run.sh" 2>/dev/null && opts+=(-detect_leaks=0)
    "$build/fuzz/$target" "${opts[@]}" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -max_len=8192 -print_final_stats=1 -artifact_prefix="$work/" "$corpus" "$src/fuzz/corpus/$target" \
        >"$corpus.log" 2>&1 || true
    grep -a 'DONE' "$corpus.log" | tail -1 >"$work/$side-$target-$i.done" || true
}

median() { sort -n | awk '{v[NR]=$1} END {print (NR ? v[int((NR+1)/2)] : "-")}'; }
field() { grep -oE "$1: [0-9]+" | awk '{print $2}'; }

for target in "${targets[@]}"; do
    for ((i = 0; i < runs; ++i)); do
        run old "$old_root" "$old_build" "$target" "$i" &
        run new "$root" "$new_build" "$target" "$i" &
        wait
    done
    for side in old new; do
        execs=$(cat "$work/$side-$target-"*.done | field 'exec/s' | median)
        cov=$(cat "$work/$side-$target-"*.done | field 'cov' | median)
        all=$(cat "$work/$side-$target-"*.done | field 'exec/s' | tr '\n' ' ')
        printf '%-22s %s  exec/s median %6s (%s)  cov median %s\n' "$target" "$side" "$execs" "${all% }" "$cov"
    done
done
