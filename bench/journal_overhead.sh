#!/usr/bin/env bash
# The journal's cost on the local pass: a command-line run over 100,000 files
# (1,000 a folder) on the disk, with its journal written and without one (the
# journal folder cannot be made there: one failed attempt at the first rename,
# then nothing). Each command gets a fresh tree; the runs alternate; medians
# are compared. Target: with the journal <= 1.05 x without.
source "$(dirname "$0")/lib.sh"
COUNT=${BENCH_RENAME_COUNT:-100000}
STATE="$WORK/journal-state"
rm -rf "$STATE"
with=() without=()
for ((run = 1; run <= RUNS; ++run)); do
    fresh_tree "$WORK" without "$COUNT" 1000
    without+=("$(XDG_STATE_HOME=/proc/tavrel-bench-none seconds_of "$TAVREL" "$WORK/without" 2>/dev/null)")
    fresh_tree "$WORK" with "$COUNT" 1000
    with+=("$(XDG_STATE_HOME="$STATE" seconds_of "$TAVREL" "$WORK/with")")
done
status=ok
journal=$(ls -t "$STATE/tavrel"/run-*.journal | head -1)
records=$(grep -ac '^R ' "$journal" || true)
[ "$records" = "$COUNT" ] || { echo "the journal holds $records of $COUNT renames"; status=FAIL; }
w=$(median "${with[@]}") wo=$(median "${without[@]}") r=$(ratio "$w" "$wo")
echo "with ${with[*]} s; without ${without[*]} s; medians $w / $wo = $r"
at_most "$r" 1.05 || status=FAIL
rm -rf "$WORK/with" "$WORK/without" "$STATE"
result "rename $COUNT files, type 1, with the journal" "$w s" "without: $wo s" "$r" "<= 1.05" "$status"
