#!/usr/bin/env bash
# Loading 50,000 message keys in random order against `sort -f` of the same file.
# Usage: bench/compare_messages.sh BUILD_DIR. Prints both times and the ratio (target <= 3).
# CPU times (user + system) are compared: on a shared machine the wall clock mostly measures
# the other processes.
set -euo pipefail
build=${1:?build dir}
bench="$build/bench/bench_messages"
[ -x "$bench" ] || { echo "missing $bench (configure with -DKX_BUILD_BENCH=ON)" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
file="$work/torvel.049"
# 50,000 distinct keys of mixed case in random order.
awk 'BEGIN { srand(4711); for (i = 0; i < 50000; i++) { k = "";
       n = 6 + int(rand() * 19);
       for (j = 0; j < n; j++) k = k sprintf("%c", (j % 2 ? 97 : 65) + int(rand() * 26));
       printf "%s.%d.Caption=Text of %s\r\n", k, i, k } }' > "$file"

load_ms=$(KX_BENCH_MESSAGES_FILE="$file" "$bench" --benchmark_format=csv --benchmark_repetitions=5 \
            --benchmark_report_aggregates_only=true 2>/dev/null |
          awk -F, '/_median"?,/ { print $4 }')

best=
TIMEFORMAT='%3U %3S'
for _ in 1 2 3 4 5; do
  t=$( { time sort -f "$file" > /dev/null; } 2>&1 | awk '{ printf "%d", ($1 + $2) * 1e9 }')
  if [ -z "$best" ] || [ "$t" -lt "$best" ]; then best=$t; fi
done
sort_ms=$(awk -v ns="$best" 'BEGIN { printf "%.3f", ns / 1e6 }')

echo "messages: Load of 50000 keys ${load_ms} ms CPU (median), sort -f ${sort_ms} ms CPU (best of 5, LC_ALL=${LC_ALL:-} LANG=${LANG:-})"
awk -v a="$load_ms" -v b="$sort_ms" 'BEGIN { printf "messages: ratio %.2f (target <= 3)\n", a / b }'
