#!/usr/bin/env bash
# IncrementStrValue on a 100,000-digit run against a 10,000-digit run: linear time gives
# a ratio near 10 (target: within 15). CPU times are compared: on a shared machine the
# wall clock mostly measures the other processes.
# Usage: bench/compare_nextvalue.sh BUILD_DIR.
set -euo pipefail
build=${1:?build dir}
bench="$build/bench/bench_nextvalue"
[ -x "$bench" ] || { echo "missing $bench (configure with -DKX_BUILD_BENCH=ON)" >&2; exit 1; }

"$bench" --benchmark_format=csv --benchmark_repetitions=5 --benchmark_report_aggregates_only=true 2>/dev/null |
  awk -F, '/BM_IncrementDigitRun\/10000_median/ { small = $4 }
           /BM_IncrementDigitRun\/100000_median/ { large = $4 }
           END { if (small == "" || large == "") { print "nextvalue: no result" > "/dev/stderr"; exit 1 }
                 printf "nextvalue: 10,000 digits %.2f us, 100,000 digits %.2f us (CPU, medians)\n", small, large
                 printf "nextvalue: ratio %.2f (linear: about 10, target <= 15)\n", large / small }'
