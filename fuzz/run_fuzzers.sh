#!/bin/bash
# Runs every fuzz target of a fuzz build for a bounded time and writes the
# executions per target to a summary. Exits non-zero when any target found a
# crash, a sanitizer report, a broken property, a timeout or an out-of-memory.
#
#   fuzz/run_fuzzers.sh BUILD_DIR SECONDS_PER_TARGET
#
# Each target starts from its seed corpus in fuzz/corpus/<target>/ (read only)
# plus what earlier runs in the same build directory found; new inputs go to
# BUILD_DIR/fuzz-corpus/<target>/, crashing inputs to BUILD_DIR/fuzz-artifacts/.
set -uo pipefail

build=${1:?build directory}
seconds=${2:-60}
source_dir=$(cd "$(dirname "$0")" && pwd)
summary="$build/fuzz-summary.txt"
failed=()

mkdir -p "$build/fuzz-artifacts" "$build/fuzz-logs"
: >"$summary"
printf '%-22s %12s %10s %6s %7s %s\n' target executions per-second cov corpus result |
    tee -a "$summary"

shopt -s nullglob
binaries=("$build"/fuzz/*_fuzz)
if [ "${#binaries[@]}" -eq 0 ]; then
    echo "No fuzz targets in $build/fuzz: build the tavrel_fuzzers target first" >&2
    exit 1
fi

for binary in "${binaries[@]}"; do
    target=$(basename "$binary")
    corpus="$build/fuzz-corpus/$target"
    log="$build/fuzz-logs/$target.log"
    mkdir -p "$corpus"
    options=(-max_total_time="$seconds" -print_final_stats=1 -timeout=20 -rss_limit_mb=2048
             -artifact_prefix="$build/fuzz-artifacts/$target-")
    [ -f "$source_dir/dict/$target.dict" ] && options+=(-dict="$source_dir/dict/$target.dict")
    "$binary" "${options[@]}" "$corpus" "$source_dir/corpus/$target" >"$log" 2>&1
    status=$?

    executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log")
    last=$(grep -E '^#[0-9]+' "$log" | tail -n 1)
    coverage=$(sed -n 's/.* cov: \([0-9]*\).*/\1/p' <<<"$last")
    corpus_size=$(sed -n 's/.* corp: \([0-9]*\).*/\1/p' <<<"$last")
    result=ok
    if [ "$status" -ne 0 ]; then
        result="FAILED (exit $status, log $log)"
        failed+=("$target")
    fi
    printf '%-22s %12s %10s %6s %7s %s\n' "$target" "${executions:-?}" "${rate:-?}" \
        "${coverage:-?}" "${corpus_size:-?}" "$result" | tee -a "$summary"
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
