#!/usr/bin/env bash
# Tavrel.exe's window under Wine takes a drop of the folder of 1,000,000 files
# and shows the end of its list, against the Linux window (offscreen) on the
# same tree. Wine's own overhead is not Tavrel's to remove: no target, the ratio
# is reported, with the walk alone beside it to tell where the time goes when
# the drop takes more than twice the walk. Needs `make windows` (WIN_BUILD,
# default build-win); without it the row says so.
source "$(dirname "$0")/lib.sh"
ROW="window: drop 1,000,000 files, scroll to the end: Tavrel.exe under Wine vs Linux"
require_windows_build bench/bench_windows_window_drop.exe "$ROW" "none"
tree=$(million_tree)

# A Wine prefix of its own, made and removed here, on a virtual X display.
export TAVREL_WINE_ROOT="$WORK/wine-window" TAVREL_TZ="$TZ" TAVREL_WINE_DISPLAY=1
WINE_SCRIPTS="$BENCH_SOURCE/../tests/win32"
run_windows() {
    xvfb-run -a -s "-screen 0 1280x800x24" sh -c \
        'sh "$1/wine_prefix.sh" setup "$TAVREL_WINE_ROOT" >&2 &&
         sh "$1/wine_run.sh" "$2" "$3"; status=$?
         sh "$1/wine_prefix.sh" cleanup "$TAVREL_WINE_ROOT"; exit $status' \
        sh "$WINE_SCRIPTS" "$WIN_BUILD/bench/bench_windows_window_drop.exe" "Z:${tree//\//\\}"
}

linux=() windows=() walks=() peaks=()
for ((run = 1; run <= RUNS; ++run)); do
    read -r seconds _ rows < <(QT_QPA_PLATFORM=offscreen "$BIN/bench_window_drop" "$tree")
    [ "$rows" = 1000000 ] || { echo "the Linux window listed $rows entries"; exit 1; }
    linux+=("$seconds")
done
# A Windows run takes about a minute: BENCH_WINDOWS_RUNS of them (default 1).
for ((run = 1; run <= ${BENCH_WINDOWS_RUNS:-1}; ++run)); do
    # The Windows C library ends its lines with CR LF.
    read -r walk seconds mb rows < <(run_windows | tr -d "\r")
    [ "$rows" = 1000000 ] || { echo "Tavrel.exe's window listed $rows entries"; exit 1; }
    walks+=("$walk") windows+=("$seconds") peaks+=("$mb")
done
w=$(median "${windows[@]}") l=$(median "${linux[@]}") k=$(median "${walks[@]}")
m=$(printf '%.1f' "$(median "${peaks[@]}")")
r=$(ratio "$w" "$l") d=$(ratio "$w" "$k")
echo "Tavrel.exe window ${windows[*]} s (walk alone ${walks[*]} s, peak ${peaks[*]} MB);" \
    "Linux window ${linux[*]} s"
# Where the time goes: the walk and merge, or the window (the list box and the
# drawing), when the drop takes more than twice the walk alone.
where="drop $d x the walk alone"
at_most "$d" 2 || where="$where: the window's share is $(awk -v a="$w" -v b="$k" \
    'BEGIN { printf "%.1f", a - b }') s"
result "$ROW" "$w s, $m MB; $where" "Linux: $l s" "$r" "none (Wine)" ok
