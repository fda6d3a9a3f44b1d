#!/usr/bin/env bash
# The window (drawn offscreen) takes a drop of the folder of 1,000,000 files and
# shows the end of its list. Targets: within 1.3 x the walk-only time, and peak
# memory <= 1.5 x that of a command-line run over the same folder.
source "$(dirname "$0")/lib.sh"
tree=$(million_tree)

walk=$(cat "$WORK/walk-only.seconds" 2>/dev/null || true)
if [ -z "$walk" ]; then
    runs=()
    for ((run = 1; run <= RUNS; ++run)); do runs+=("$(seconds_of "$BIN/bench_walk_only" "$tree")"); done
    walk=$(median "${runs[@]}")
fi
shown=() peak=()
for ((run = 1; run <= RUNS; ++run)); do
    read -r seconds mb rows < <(QT_QPA_PLATFORM=offscreen "$BIN/bench_window_drop" "$tree")
    [ "$rows" = 1000000 ] || { echo "the window listed $rows entries"; exit 1; }
    shown+=("$seconds") peak+=("$mb")
done
# The command-line run renames the files: the tree is made afresh next time.
rm -f "$WORK/million.ready"
cli=$(peak_mb_of "$TAVREL" "$tree")
s=$(median "${shown[@]}") m=$(printf '%.1f' "$(median "${peak[@]}")")
r=$(ratio "$s" "$walk") q=$(ratio "$m" "$cli")
echo "window: ${shown[*]} s, peak ${peak[*]} MB; walk only $walk s; command line peak $cli MB"
status=ok
at_most "$r" 1.3 && at_most "$q" 1.5 || status=FAIL
result "window: drop 1,000,000 files, scroll to the end" "window $s s, $m MB" \
    "walk only $walk s; command line $cli MB" "$r (time) / $q (memory)" "<= 1.3; <= 1.5" "$status"
