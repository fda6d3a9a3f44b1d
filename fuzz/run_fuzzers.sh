#!/bin/bash
# Runs every fuzz target of a fuzz build, in one of two ways, and writes the
# executions per target to a summary. Exits non-zero when any target found a
# crash, a sanitizer report, a broken property, a timeout or an out-of-memory.
#
#   fuzz/run_fuzzers.sh gate BUILD_DIR
#   fuzz/run_fuzzers.sh explore BUILD_DIR SECONDS_PER_TARGET
#
# gate (`make fuzz`, part of `make check`): the same inputs on every run of the
# same tree. Each target replays its whole seed corpus in fuzz/corpus/<target>/,
# then mutates for the fixed count of runs that fuzz/gate_runs.txt gives it,
# from a fixed seed, into a working corpus that starts empty every time. The
# seeds are handed over as a list in name order (a folder would be read in the
# file system's own order), the values the code compares are not fed back into
# the mutations (-use_cmp=0: among them are addresses, which move with the
# clone's path and the environment's size), the address space is laid out
# without randomisation, and nothing is reloaded on a timer. A fault found
# here is a fault of the tree.
#
# explore (`make fuzz-explore`): a fresh random seed and a time budget per
# target, growing BUILD_DIR/fuzz-corpus/<target>/ from run to run. It finds
# what the gate cannot; whatever it finds goes into fuzz/corpus/<target>/
# together with its fix, and so into every later gate run.
#
# Crashing inputs go to BUILD_DIR/fuzz-artifacts/, logs to BUILD_DIR/fuzz-logs/.
set -uo pipefail

mode=${1:?gate or explore}
build=${2:?build directory}
seconds=${3:-600}
source_dir=$(cd "$(dirname "$0")" && pwd)
summary="$build/fuzz-summary.txt"
failed=()

case "$mode" in
gate | explore) ;;
*)
    echo "unknown mode '$mode': gate or explore" >&2
    exit 2
    ;;
esac

# The runs a target gets in the gate: its line "target runs" in gate_runs.txt.
gate_runs() {
    awk -v target="$1" '$1 == target { print $2 }' "$source_dir/gate_runs.txt"
}

shopt -s nullglob
binaries=("$build"/fuzz/*_fuzz)
if [ "${#binaries[@]}" -eq 0 ]; then
    echo "No fuzz targets in $build/fuzz: build the tavrel_fuzzers target first" >&2
    exit 1
fi

mkdir -p "$build/fuzz-artifacts" "$build/fuzz-logs"
: >"$summary"
printf '%-22s %12s %10s %6s %7s %7s %s\n' target executions per-second cov ft corpus result |
    tee -a "$summary"

for binary in "${binaries[@]}"; do
    target=$(basename "$binary")
    seeds="$source_dir/corpus/$target"
    log="$build/fuzz-logs/$target.log"
    options=(-print_final_stats=1 -timeout=20 -rss_limit_mb=2048
             -artifact_prefix="$build/fuzz-artifacts/$target-")
    [ -f "$source_dir/dict/$target.dict" ] && options+=(-dict="$source_dir/dict/$target.dict")

    if [ "$mode" = gate ]; then
        runs=$(gate_runs "$target")
        if [ -z "$runs" ]; then
            echo "$target has no line in $source_dir/gate_runs.txt" >&2
            failed+=("$target")
            continue
        fi
        corpus="$build/fuzz-gate/$target"
        rm -rf "$corpus"
        mkdir -p "$corpus"
        list="$build/fuzz-gate/$target.seeds"
        (cd "$seeds" && LC_ALL=C ls | LC_ALL=C sort | sed "s|^|$seeds/|" | paste -sd,) >"$list"
        options+=(-seed=1 -runs="$runs" -reload=0 -use_cmp=0 -seed_inputs=@"$list")
        setarch "$(uname -m)" -R "$binary" "${options[@]}" "$corpus" >"$log" 2>&1
        status=$?
    else
        corpus="$build/fuzz-corpus/$target"
        mkdir -p "$corpus"
        options+=(-max_total_time="$seconds")
        "$binary" "${options[@]}" "$corpus" "$seeds" >"$log" 2>&1
        status=$?
    fi

    executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log")
    last=$(grep -E '^#[0-9]+' "$log" | tail -n 1)
    coverage=$(sed -n 's/.* cov: \([0-9]*\).*/\1/p' <<<"$last")
    features=$(sed -n 's/.* ft: \([0-9]*\).*/\1/p' <<<"$last")
    corpus_size=$(sed -n 's/.* corp: \([0-9]*\).*/\1/p' <<<"$last")
    result=ok
    if [ "$status" -ne 0 ]; then
        result="FAILED (exit $status, log $log)"
        failed+=("$target")
    fi
    printf '%-22s %12s %10s %6s %7s %7s %s\n' "$target" "${executions:-?}" "${rate:-?}" \
        "${coverage:-?}" "${features:-?}" "${corpus_size:-?}" "$result" | tee -a "$summary"
    if [ "$status" -ne 0 ]; then
        echo "---- last lines of $log:"
        tail -n 40 "$log"
        echo "----"
    fi
done

echo "Summary written to $summary"
if [ "${#failed[@]}" -ne 0 ]; then
    echo "Fuzzing found faults in: ${failed[*]} (inputs in $build/fuzz-artifacts/)"
    exit 1
fi
