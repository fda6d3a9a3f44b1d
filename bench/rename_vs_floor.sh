#!/usr/bin/env bash
# Command-line run over 100,000 files (1,000 a folder, last-write times over
# 2005-2024), stamp type 1, against the floor program that makes only the
# unavoidable system calls per file - on the disk (ext4 here) and on tmpfs.
# Each command gets a fresh tree; the runs alternate; medians are compared.
# Target: Tavrel <= 1.15 x the floor on each.
source "$(dirname "$0")/lib.sh"
COUNT=${BENCH_RENAME_COUNT:-100000}

ours=() floors=() ratios=() status=ok
for root in "$WORK" "$TMPFS/tavrel-bench.$$"; do
    mkdir -p "$root"
    kind=$(fs_type "$root")
    floor=() tavrel=()
    for ((run = 1; run <= RUNS; ++run)); do
        fresh_tree "$root" floor "$COUNT" 1000
        floor+=("$(seconds_of "$BIN/bench_floor" "$root/floor")")
        fresh_tree "$root" tavrel "$COUNT" 1000
        tavrel+=("$(seconds_of "$TAVREL" "$root/tavrel")")
    done
    stamped=$(find "$root/tavrel" -type f -name '20??????_IMG_*' | wc -l)
    [ "$stamped" = "$COUNT" ] || { echo "only $stamped of $COUNT files were stamped"; status=FAIL; }
    t=$(median "${tavrel[@]}") f=$(median "${floor[@]}") r=$(ratio "$t" "$f")
    echo "$kind: tavrel ${tavrel[*]} s; floor ${floor[*]} s; medians $t / $f = $r"
    at_most "$r" 1.15 || status=FAIL
    ours+=("$kind $t s") floors+=("$kind $f s") ratios+=("$r")
    rm -rf "$root/floor" "$root/tavrel"
    [ "$root" = "$WORK" ] || rmdir "$root"
done
result "rename $COUNT files, type 1: Tavrel vs floor" "${ours[0]}, ${ours[1]}" \
    "floor: ${floors[0]}, ${floors[1]}" "${ratios[0]} / ${ratios[1]}" "<= 1.15 each" "$status"
