#!/usr/bin/env bash
# Walk only - collect and merge a folder of 1,000,000 files as a command-line
# run does before renaming - against `find DIR -type f` piped into `sort -f`
# under the same locale. Target: <= 1.5 x (find + sort).
source "$(dirname "$0")/lib.sh"
tree=$(million_tree)

find_sort() { find "$1" -type f | sort -f; }

walk=() peer=()
for ((run = 1; run <= RUNS; ++run)); do
    walk+=("$(seconds_of "$BIN/bench_walk_only" "$tree")")
    peer+=("$(seconds_of find_sort "$tree")")
done
listed=$("$BIN/bench_walk_only" "$tree")
[ "$listed" = 1000000 ] || { echo "the walk listed $listed files"; exit 1; }
w=$(median "${walk[@]}") p=$(median "${peer[@]}") r=$(ratio "$w" "$p")
echo "walk ${walk[*]} s; find | sort -f ${peer[*]} s (LC_ALL=$LC_ALL)"
echo "$w" >"$WORK/walk-only.seconds"
result "walk only, 1,000,000 files" "Tavrel $w s" "find + sort -f $p s" "$r" "<= 1.5" \
    "$(verdict "$r" 1.5)"
