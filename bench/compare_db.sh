#!/usr/bin/env bash
# Job database on 1,000,000 jobs (generated once into BUILD_DIR/bench-data):
#  (a) the uniqueness count through the engine against the same translated statement in the
#      sqlite3 shell with the kxsqlite extension loaded: CPU time per statement, target <= 1.5x;
#  (b) the largest numeric file name read for its first row only (first-row hint) against the
#      whole ordered result: target <= 1/3.
# CPU times are compared so that other load on the machine does not skew the ratios.
# Usage: bench/compare_db.sh BUILD_DIR
set -euo pipefail
build=${1:?build dir}
bench="$build/bench/bench_db"
ext="$build/src/platform/sqlite_ext/kxsqlite.so"
[ -x "$bench" ] || { echo "missing $bench (configure with -DKX_BUILD_BENCH=ON)" >&2; exit 1; }
[ -f "$ext" ] || { echo "missing $ext" >&2; exit 1; }
command -v sqlite3 >/dev/null || { echo "db: sqlite3 shell not installed" >&2; exit 1; }
command -v jq >/dev/null || { echo "db: jq not installed" >&2; exit 1; }

mkdir -p "$build/bench-data"
db="$build/bench-data/jobs-1M.db"
[ -f "$db" ] || echo "db: generating $db (1,000,000 jobs)..."
"$bench" --kx_db="$db" --kx_generate

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# (a) The shell: N statements after .load, minus a run with one statement (start, load, open).
sql=$("$bench" --kx_print_count_sql)
n=20000
{ echo ".load ${ext%.so}"; echo "$sql"; } >"$tmp/one.sql"
{ echo ".load ${ext%.so}"; for ((i = 0; i < n; i++)); do echo "$sql"; done; } >"$tmp/many.sql"
cpu_seconds() {  # script -> user+sys seconds of the shell running it
  local TIMEFORMAT='%U %S'
  { time sqlite3 -batch "$db" <"$1" >/dev/null; } 2>&1 | awk '{ print $1 + $2 }'
}
[ "$(sqlite3 -batch "$db" <"$tmp/one.sql")" = "1" ] || { echo "db: shell count is not 1" >&2; exit 1; }
base=$(cpu_seconds "$tmp/one.sql")
many=$(cpu_seconds "$tmp/many.sql")
shell_ns=$(awk -v a="$many" -v b="$base" -v n="$n" 'BEGIN { printf "%.0f", (a - b) * 1e9 / (n - 1) }')

"$bench" --kx_db="$db" --benchmark_format=json --benchmark_repetitions=3 \
  --benchmark_report_aggregates_only=true >"$tmp/engine.json" 2>/dev/null
cpu() { jq -r --arg n "$1_median" '.benchmarks[] | select(.name == $n) | .cpu_time' "$tmp/engine.json"; }
engine_ns=$(cpu BM_CountUnique)
open_ns=$(cpu BM_CountUniqueWithOpen)
first_num=$(cpu BM_MaxNumericFirstRow)
full_num=$(cpu BM_MaxNumericFullScan)
first_txt=$(cpu BM_MaxTextFirstRow)
full_txt=$(cpu BM_MaxTextFullScan)

awk -v e="$engine_ns" -v s="$shell_ns" -v o="$open_ns" \
    -v fn="$first_num" -v un="$full_num" -v ft="$first_txt" -v ut="$full_txt" 'BEGIN {
  printf "db: count statement: engine %.1f us, sqlite3 shell %.1f us CPU per statement (with open/close: %.1f us)\n", e / 1000, s / 1000, o / 1000
  printf "db: ratio engine/shell %.2f (target <= 1.5)\n", e / s
  printf "db: largest numeric key: first row %.1f us, full ordered scan %.1f us CPU\n", fn, un
  printf "db: ratio first row/full scan %.4f (target <= 0.333)\n", fn / un
  printf "db: largest text key: first row %.1f us, full ordered scan %.1f us CPU (ratio %.4f)\n", ft, ut, ft / ut
  exit (e / s <= 1.5 && fn / un <= 1 / 3) ? 0 : 1
}'
