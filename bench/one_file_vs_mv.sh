#!/usr/bin/env bash
# A command-line run on one file against `mv` of one file: start-up cost. Each
# figure is the time of 200 runs, each on a file of its own. Target: <= 5 x mv.
source "$(dirname "$0")/lib.sh"
N=200
dir="$WORK/one"

many_tavrel() { for ((i = 0; i < N; ++i)); do "$TAVREL" "$dir/t$i.jpg"; done; }
many_mv() { for ((i = 0; i < N; ++i)); do mv "$dir/m$i.jpg" "$dir/moved$i.jpg"; done; }

tavrel=() mv=()
for ((run = 1; run <= RUNS; ++run)); do
    rm -rf "$dir" && mkdir -p "$dir"
    for ((i = 0; i < N; ++i)); do touch -d 2011-09-15T12:00 "$dir/t$i.jpg" "$dir/m$i.jpg"; done
    tavrel+=("$(seconds_of many_tavrel)")
    mv+=("$(seconds_of many_mv)")
    stamped=$(find "$dir" -name '20110915_t*.jpg' | wc -l)
    [ "$stamped" = "$N" ] || { echo "only $stamped of $N files were stamped"; exit 1; }
done
rm -rf "$dir"
t=$(median "${tavrel[@]}") m=$(median "${mv[@]}") r=$(ratio "$t" "$m")
echo "tavrel x$N: ${tavrel[*]} s; mv x$N: ${mv[*]} s"
per_run_ms() { awk -v s="$1" -v n="$N" 'BEGIN { printf "%.2f\n", s * 1000 / n }'; }
result "one file: Tavrel vs mv" "Tavrel $(per_run_ms "$t") ms" "mv $(per_run_ms "$m") ms" "$r" \
    "<= 5" "$(verdict "$r" 5)"
