#!/usr/bin/env bash
# Builds every fuzz target with clang-14 (libFuzzer, ASan, UBSan) and runs
# each for the given number of seconds from its checked-in seed corpus.
# Exits non-zero when a target reports anything: crash, sanitizer finding,
# leak, timeout or out-of-memory. Reproducers land in $BUILD/artifacts/.
#
#   bash fuzz/run.sh [SECONDS] [TARGET...]      (default 30 s, all targets)
# Environment: ORBITFALL_FUZZ_BUILD (build folder, default build-fuzz),
#              ORBITFALL_FUZZ_JOBS (targets run side by side, default 1).
set -euo pipefail
# The targets start hosts and clients (and the host answers discovery
# queries): looking for games stays on loopback, never the network around.
export ORBITFALL_DISCOVERY=loopback

seconds=${1:-30}
shift || true
root=$(cd "$(dirname "$0")/.." && pwd)
build=${ORBITFALL_FUZZ_BUILD:-$root/build-fuzz}
jobs=${ORBITFALL_FUZZ_JOBS:-1}
all_targets=(fuzz_xml fuzz_game_load fuzz_replay fuzz_framing fuzz_lockstep_host fuzz_lockstep_client
             fuzz_bmp fuzz_tga fuzz_dds fuzz_font_metrics fuzz_texture_config fuzz_discovery)
targets=("${@:-${all_targets[@]}}")

CC=clang-14 CXX=clang++-14 cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DORBITFALL_FUZZ=ON -DORBITFALL_SANITIZE=ON -DORBITFALL_TESTS=OFF -DORBITFALL_BENCH=OFF >/dev/null
cmake --build "$build" -j2 --target "${targets[@]}" >/dev/null

mkdir -p "$build/artifacts" "$build/logs"
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}

run_one() {
    local target=$1
    local work="$build/corpus/$target"
    local dict=()
    mkdir -p "$work"
    local leaks=()
    [[ -f "$root/fuzz/$target.dict" ]] && dict=(-dict="$root/fuzz/$target.dict")
    # The lockstep targets keep one game running across inputs, so an input
    # often ends with more blocks than it began (a pending send, a list grown
    # by the game): libFuzzer then runs the input again and scans the whole
    # heap, three quarters of the host target's time. Leaks still fail the run:
    # the sanitizer's check at exit reports every block nothing points to.
    case $target in fuzz_lockstep_host|fuzz_lockstep_client) leaks=(-detect_leaks=0) ;; esac
    # New inputs go to the work corpus (first folder); the seeds stay as checked in.
    if "$build/fuzz/$target" "${dict[@]}" "${leaks[@]}" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -max_len=8192 -print_final_stats=1 -artifact_prefix="$build/artifacts/$target-" \
        "$work" "$root/fuzz/corpus/$target" >"$build/logs/$target.log" 2>&1; then
        echo "ok    $target: $(grep -a 'cov:' "$build/logs/$target.log" | tail -1)"
    else
        echo "FAIL  $target (log: $build/logs/$target.log)"
        grep -E 'ERROR|SUMMARY|runtime error|Test unit written' "$build/logs/$target.log" | head -8
        return 1
    fi
}

failed=0
pids=()
for target in "${targets[@]}"; do
    run_one "$target" &
    pids+=($!)
    if (( ${#pids[@]} >= jobs )); then
        wait "${pids[0]}" || failed=1
        pids=("${pids[@]:1}")
    fi
done
for pid in "${pids[@]}"; do wait "$pid" || failed=1; done
exit $failed
