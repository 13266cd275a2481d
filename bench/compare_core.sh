#!/usr/bin/env bash
# Keyed collection scaling: sorted insertion of 1,000,000 random keys against 10,000,
# time per item (target: 1M per-item / 10K per-item <= 2), and the peak resident size of
# a process that builds one collection of 1,000,000 short keys (target < 250 MB).
# Usage: bench/compare_core.sh BUILD_DIR
set -euo pipefail
build=${1:?build dir}
bench="$build/bench/bench_core"
[ -x "$bench" ] || { echo "missing $bench (configure with -DKX_BUILD_BENCH=ON)" >&2; exit 1; }

csv=$(mktemp)
trap 'rm -f "$csv"' EXIT
"$bench" --benchmark_filter='BM_(InsertSorted|LookupBy)' --benchmark_repetitions=3 \
  --benchmark_report_aggregates_only=true --benchmark_format=csv 2>/dev/null > "$csv"

# Median CPU time of one benchmark, converted to nanoseconds.
median_ns() {
  awk -F, -v name="\"$1_median\"" '
    $1 == name { f = ($5 == "\"ms\"" || $5 == "ms") ? 1e6 : ($5 == "\"us\"" || $5 == "us") ? 1e3 : 1;
                 printf "%.3f", $4 * f }' "$csv"
}

small=$(median_ns "BM_InsertSorted/10000")
large=$(median_ns "BM_InsertSorted/1000000")
[ -n "$small" ] && [ -n "$large" ] || { echo "core: benchmark output not understood" >&2; cat "$csv" >&2; exit 1; }
per_small=$(awk -v t="$small" 'BEGIN { printf "%.1f", t / 10000 }')
per_large=$(awk -v t="$large" 'BEGIN { printf "%.1f", t / 1000000 }')
echo "core: InsertSorted ${per_small} ns/item at 10K, ${per_large} ns/item at 1M (median CPU time of 3)"
awk -v a="$per_large" -v b="$per_small" 'BEGIN { printf "core: ratio 1M/10K per item %.2f (target <= 2)\n", a / b }'
for kind in Key Position; do
  for n in 10000 1000000; do
    echo "core: lookup by ${kind,,} at $n: $(median_ns "BM_LookupBy$kind/$n") ns"
  done
done

peak=$("$bench" --peak-rss 1000000 | awk '{ print $4 }')
awk -v m="$peak" 'BEGIN { printf "core: peak RSS for 1,000,000 short keys %.1f MB (target < 250)\n", m }'
