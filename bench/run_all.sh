#!/usr/bin/env bash
# `make bench`: runs every figure's script and the micro-benchmarks, and writes
# the report to $BUILD/bench/report.md. Fails when a figure misses its target.
source "$(dirname "$0")/lib.sh"
OUT="$BUILD/bench"
REPORT="$OUT/report.md"
SCRIPTS=(rename_vs_floor journal_overhead rename_vs_peers date_taken share_slow_fuse share_shapes share_sshfs share_sshfs_delayed share_gvfs_smb share_gvfs_sftp
         share_kio_fuse_smb share_kio_fuse_sftp
         walk_vs_find_sort merge_scaling window_drop window_execute window_escape one_file_vs_mv
         windows_command_line windows_window_drop windows_slow_share)

rows=() failed=0
for script in "${SCRIPTS[@]}"; do
    echo "== $script" >&2
    log="$OUT/$script.log"
    if ! "$BENCH_SOURCE/$script.sh" 2>&1 | tee "$log" >&2; then
        rows+=("| $script | (the script failed: see $script.log) | | | | FAIL |")
        failed=1
        continue
    fi
    lines=$(grep '^RESULT |' "$log" || true)
    [ -n "$lines" ] || { rows+=("| $script | (no result) | | | | FAIL |"); failed=1; continue; }
    # A script may give several rows.
    while IFS= read -r line; do
        rows+=("${line#RESULT } |")
        [[ "$line" == *"| ok" ]] || failed=1
    done <<<"$lines"
done

echo "== micro-benchmarks" >&2
"$BENCH_SOURCE/micro.sh" "$OUT" "$BUILD" >/dev/null || failed=1

cpu=$(awk -F': ' '/^model name/ { print $2; exit }' /proc/cpuinfo)
memory=$(awk '/^MemTotal/ { printf "%.0f GiB", $2 / 1048576 }' /proc/meminfo)
{
    echo "# Tavrel benchmark report"
    echo
    echo "$(date -u '+%Y-%m-%d %H:%M UTC'); $(nproc) cores ($cpu), $memory; Linux $(uname -r);"
    echo "disk folder $WORK on $(fs_type "$WORK"), tmpfs folder $TMPFS on $(fs_type "$TMPFS")."
    echo "Medians of $RUNS runs, TZ=$TZ, LC_ALL=$LC_ALL; build type of \`$BUILD\`."
    echo
    echo "| work | Tavrel | compared with | ratio | target | result |"
    echo "|---|---|---|---|---|---|"
    printf '%s\n' "${rows[@]}"
    echo
    echo "## Micro-benchmarks"
    echo
    cat "$OUT/micro.md" 2>/dev/null || echo "(none)"
} >"$REPORT"
cat "$REPORT"
exit $failed
