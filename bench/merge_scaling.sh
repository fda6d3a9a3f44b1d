#!/usr/bin/env bash
# Merging a batch into a list that already holds 1,000,000 paths, half of the
# batch brought again: a batch of 1,000,000 against one of 2,000,000. Targets:
# twice the batch costs <= 2.3 x the time; peak memory <= 400 MB for the batch
# of 1,000,000.
source "$(dirname "$0")/lib.sh"

one=() two=() peak=()
for ((run = 1; run <= RUNS; ++run)); do
    read -r seconds mb _ < <(/usr/bin/env "$BIN/bench_merge" 1000000 1000000)
    one+=("$seconds") peak+=("$mb")
    read -r seconds _ _ < <("$BIN/bench_merge" 1000000 2000000)
    two+=("$seconds")
done
a=$(median "${one[@]}") b=$(median "${two[@]}") r=$(ratio "$b" "$a")
m=$(printf '%.1f' "$(median "${peak[@]}")")
echo "batch 1M: ${one[*]} s (peak ${peak[*]} MB); batch 2M: ${two[*]} s"
status=ok
at_most "$r" 2.3 && at_most "$m" 400 || status=FAIL
result "merge into a list of 1,000,000" "batch 1M $a s, peak $m MB" "batch 2M $b s" "$r" \
    "<= 2.3; <= 400 MB" "$status"
