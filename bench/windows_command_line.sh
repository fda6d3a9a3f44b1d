#!/usr/bin/env bash
# The Windows build under Wine: a command-line run over 100,000 files (1,000 a
# folder), stamp type 1, Tavrel.exe against the Linux build on the same kind of
# tree on the disk. Each command gets a fresh tree; the runs alternate; medians
# are compared. Wine's own overhead is not Tavrel's to remove: no target, the
# ratio is reported. Most of Wine's time goes into looking up names that do
# not exist yet (the candidate name of each file, the target of its move):
# Wine reads the whole folder for each such lookup to match letter case, so the
# cost per file grows with the folder (5,000 files take 3.7 s at 100 a folder,
# 8.9 s at 1,000 a folder; 100,000 files took 309 s against 5.1 s on Linux).
# Runs BENCH_WINDOWS_RUNS times (default 1), since one run takes minutes. Needs `make windows` (WIN_BUILD, default build-win);
# without it the row says so.
source "$(dirname "$0")/lib.sh"
COUNT=${BENCH_RENAME_COUNT:-100000}
ROW="rename $COUNT files, type 1: Tavrel.exe under Wine vs Linux"
require_windows_build Tavrel.exe "$ROW" "none"

# A Wine prefix of its own, made and removed here, with the benchmarks' zone.
export TAVREL_WINE_ROOT="$WORK/wine" TAVREL_TZ="$TZ"
WINE_SCRIPTS="$BENCH_SOURCE/../tests/win32"
sh "$WINE_SCRIPTS/wine_prefix.sh" setup "$TAVREL_WINE_ROOT" >&2
trap 'sh "$WINE_SCRIPTS/wine_prefix.sh" cleanup "$TAVREL_WINE_ROOT"' EXIT
# A copy of the program with no settings file beside it: stamp type 1.
mkdir -p "$WORK/windows-program"
cp "$WIN_BUILD/Tavrel.exe" "$WORK/windows-program/Tavrel.exe"
rm -f "$WORK/windows-program/setup.ini"

windows_path() { echo "Z:${1//\//\\}"; }

WINDOWS_RUNS=${BENCH_WINDOWS_RUNS:-1}
linux=() windows=()
for ((run = 1; run <= WINDOWS_RUNS; ++run)); do
    fresh_tree "$WORK" linux "$COUNT" 1000
    linux+=("$(seconds_of "$TAVREL" "$WORK/linux")")
    fresh_tree "$WORK" windows "$COUNT" 1000
    windows+=("$(seconds_of sh "$WINE_SCRIPTS/wine_run.sh" "$WORK/windows-program/Tavrel.exe" \
        "$(windows_path "$WORK/windows")")")
done
status=ok
stamped=$(find "$WORK/windows" -type f -name '20??????_IMG_*' | wc -l)
[ "$stamped" = "$COUNT" ] || { echo "only $stamped of $COUNT files were stamped"; status=FAIL; }
w=$(median "${windows[@]}") l=$(median "${linux[@]}") r=$(ratio "$w" "$l")
echo "Tavrel.exe ${windows[*]} s; Linux ${linux[*]} s; medians $w / $l = $r"
rm -rf "$WORK/linux" "$WORK/windows" "$WORK/windows-program"
result "$ROW" "$(fs_type "$WORK") $w s" "Linux: $l s" "$r" "none (Wine)" "$status"
