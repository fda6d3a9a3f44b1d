#!/bin/sh
# Runs the micro-benchmarks and writes their results to OUT_DIR:
#   micro.json  Google Benchmark's JSON output
#   micro.log   its console output
#   micro.md    a Markdown table of the results, also printed
# Usage: bench/micro.sh OUT_DIR [BUILD_DIR]   (BUILD_DIR defaults to build)
# Build first: cmake --build BUILD_DIR --target tavrel_micro_bench
# A short minimum time per benchmark keeps the whole run to well under a minute
# on two cores; set MICRO_MIN_TIME (seconds) for steadier numbers.
set -eu

if [ $# -lt 1 ] || [ $# -gt 2 ]; then
    echo "usage: $0 OUT_DIR [BUILD_DIR]" >&2
    exit 2
fi
out_dir=$1
build_dir=${2:-build}
bench_program=$build_dir/bench/tavrel_micro_bench
min_time=${MICRO_MIN_TIME:-0.2}

if [ ! -x "$bench_program" ]; then
    echo "$0: $bench_program not found; build the tavrel_micro_bench target first" >&2
    exit 1
fi
mkdir -p "$out_dir"

# Fixed time zone and locale, so that stamps and collation are the same on every
# machine (the program pins the time zone itself as well).
echo "running $bench_program (minimum time $min_time s per benchmark)" >&2
start=$(date +%s)
TZ=Asia/Tokyo LC_ALL=C.UTF-8 "$bench_program" \
    --benchmark_min_time="$min_time" \
    --benchmark_out="$out_dir/micro.json" --benchmark_out_format=json \
    >"$out_dir/micro.log" 2>&1 || {
    status=$?
    cat "$out_dir/micro.log" >&2
    echo "$0: $bench_program failed with status $status" >&2
    exit 1
}
end=$(date +%s)

/usr/bin/python3 - "$out_dir/micro.json" "$out_dir/micro.md" <<'PYTHON'
import json
import sys

json_path, table_path = sys.argv[1], sys.argv[2]
with open(json_path, encoding="utf-8") as f:
    results = json.load(f)

NANOSECONDS = {"ns": 1.0, "us": 1e3, "ms": 1e6, "s": 1e9}


def duration(value, unit):
    ns = value * NANOSECONDS[unit]
    for name, scale in (("s", 1e9), ("ms", 1e6), ("µs", 1e3)):
        if ns >= scale:
            return f"{ns / scale:.3g} {name}"
    return f"{ns:.3g} ns"


def rate(per_second):
    for name, scale in (("G", 1e9), ("M", 1e6), ("k", 1e3)):
        if per_second >= scale:
            return f"{per_second / scale:.3g} {name}/s"
    return f"{per_second:.3g} /s"


def measured(run, real_key, cpu_key):
    # Hand-timed runs report their timed span as real time, and their CPU time
    # includes the untimed setup; every other run is given in CPU time, which a
    # busy machine disturbs less. Items per second follow the same choice.
    return run[real_key] if "manual_time" in run["name"] else run[cpu_key]


def family_and_size(name):
    # "BM_X/ja/1000/manual_time" -> ("BM_X/ja/manual_time", 1000)
    parts = name.split("/")
    sizes = [i for i, part in enumerate(parts) if part.isdigit()]
    if not sizes:
        return name, None
    size = int(parts[sizes[-1]])
    del parts[sizes[-1]]
    return "/".join(parts), size


# Times by size for each family, to judge the complexity fit by the same time
# the table shows (the library's own RMS is always taken from CPU time).
families = {}
for run in results["benchmarks"]:
    if run["run_type"] == "iteration" and not run.get("error_occurred"):
        family, size = family_and_size(run["name"])
        if size is not None:
            ns = measured(run, "real_time", "cpu_time") * NANOSECONDS[run["time_unit"]]
            families.setdefault(family, []).append((size, ns))

rows = []
failed = []
for run in results["benchmarks"]:
    name = run["name"]
    items = run.get("items_per_second")
    if run.get("error_occurred"):
        failed.append(name)
        rows.append((name, "error: " + run.get("error_message", ""), ""))
    elif run.get("aggregate_name") == "BigO":
        coefficient = measured(run, "real_coefficient", "cpu_coefficient")
        rows.append((name, duration(coefficient, run["time_unit"]) + " × " + run["big_o"], ""))
    elif run.get("aggregate_name") == "RMS":
        points = families.get(run["run_name"], [])
        if len(points) > 1:
            # Root mean square distance from the least-squares line through the
            # origin, relative to the mean time, as the library computes it.
            coefficient = sum(n * t for n, t in points) / sum(n * n for n, _ in points)
            mean = sum(t for _, t in points) / len(points)
            rms = (sum((t - coefficient * n) ** 2 for n, t in points) / len(points)) ** 0.5 / mean
        else:
            rms = run["rms"]
        rows.append((name, f"{rms * 100:.0f} % off the fit", ""))
    else:
        rows.append((name, duration(measured(run, "real_time", "cpu_time"), run["time_unit"]),
                     rate(items) if items is not None else ""))

context = results["context"]
lines = [
    f"Micro-benchmarks, {context['date']}, {context['num_cpus']} CPUs at "
    f"{context['mhz_per_cpu']} MHz, load {context['load_avg'][0]:.2f}"
    + (", benchmark library built for debugging" if context.get("library_build_type") == "debug" else ""),
    "",
    "Times are CPU time per iteration, except for `manual_time` runs: there the",
    "hand-timed span (wall clock) without the per-iteration setup.",
    "",
    "| Benchmark | Time per iteration | Items per second |",
    "|---|---:|---:|",
]
lines += [f"| `{name}` | {time} | {items} |" for name, time, items in rows]
with open(table_path, "w", encoding="utf-8") as f:
    f.write("\n".join(lines) + "\n")
print("\n".join(lines))
if failed:
    print("failed: " + ", ".join(failed), file=sys.stderr)
    sys.exit(1)
PYTHON

echo "total run time $((end - start)) s; results in $out_dir/micro.json and $out_dir/micro.md" >&2
