#!/usr/bin/env bash
# The same command-line run against two ordinary ways of doing the job: perl's
# rename driven by find, with a stat-and-strftime expression, and a Python
# os.scandir + os.rename loop (both check that the new name is free first, as
# Tavrel never replaces a file). Target: Tavrel faster than both.
source "$(dirname "$0")/lib.sh"
COUNT=${BENCH_RENAME_COUNT:-100000}
PYTHON=/usr/bin/python3

perl_rename() {
    find "$1" -type f -exec rename \
        'BEGIN { use POSIX qw(strftime) } my @s = lstat $_; s{([^/]+)\z}{strftime("%Y%m%d_", localtime $s[9]) . $1}e' {} +
}
python_rename() { "$PYTHON" "$BENCH_SOURCE/peer_rename.py" "$1"; }

tavrel=() perl=() python=()
for ((run = 1; run <= RUNS; ++run)); do
    fresh_tree "$WORK" tavrel "$COUNT" 1000
    tavrel+=("$(seconds_of "$TAVREL" "$WORK/tavrel")")
    fresh_tree "$WORK" perl "$COUNT" 1000
    perl+=("$(seconds_of perl_rename "$WORK/perl")")
    fresh_tree "$WORK" python "$COUNT" 1000
    python+=("$(seconds_of python_rename "$WORK/python")")
done
for tool in perl python; do
    stamped=$(find "$WORK/$tool" -type f -name '20??????_IMG_*' | wc -l)
    [ "$stamped" = "$COUNT" ] || { echo "$tool stamped $stamped of $COUNT files"; exit 1; }
done
rm -rf "$WORK/tavrel" "$WORK/perl" "$WORK/python"
t=$(median "${tavrel[@]}") p=$(median "${perl[@]}") y=$(median "${python[@]}")
echo "tavrel ${tavrel[*]} s; perl rename ${perl[*]} s; python ${python[*]} s"
faster_peer=$(awk -v a="$p" -v b="$y" 'BEGIN { print (a < b ? a : b) }')
status=FAIL
awk -v t="$t" -v f="$faster_peer" 'BEGIN { exit !(t < f) }' && status=ok
result "rename $COUNT files: Tavrel vs perl rename and Python" "Tavrel $t s" \
    "perl rename $p s, Python $y s" "$(ratio "$t" "$p") / $(ratio "$t" "$y")" "< 1 each" "$status"
