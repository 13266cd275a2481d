#!/usr/bin/env bash
# Next free value on 1,000,000 jobs with the 100,000 values above the start all taken:
#  ours (one query, then the search in memory) against one count query per candidate
#  (target: ours at least 5x faster), against the sqlite3 shell with the kxsqlite extension
#  running the translated query alone (target: ours at most 1.5x), and ours' peak memory
#  (target < 100 MB). CPU times, so other load on the machine does not skew the ratios.
# Usage: bench/compare_nextvalue_query.sh BUILD_DIR
set -euo pipefail
build=${1:?build dir}
bench="$build/bench/bench_nextvalue_query"
ext="$build/src/platform/sqlite_ext/kxsqlite.so"
[ -x "$bench" ] || { echo "missing $bench (configure with -DKX_BUILD_BENCH=ON)" >&2; exit 1; }
command -v sqlite3 >/dev/null && command -v jq >/dev/null || { echo "nextvalue-query: needs sqlite3 and jq" >&2; exit 1; }

mkdir -p "$build/bench-data"
db="$build/bench-data/nextvalue-1M.db"
[ -f "$db" ] || echo "nextvalue-query: generating $db (1,000,000 jobs)..."
read -r proposal peak_mb < <("$bench" --kx_db="$db" --kx_peak)

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
"$bench" --kx_db="$db" --benchmark_format=json >"$tmp/ours.json" 2>/dev/null
# Best CPU time of the single runs of one benchmark.
cpu_ms() {
  jq -r --arg n "$1" '[.benchmarks[] | select((.name | startswith($n)) and .run_type == "iteration") | .cpu_time] | min' \
    "$tmp/ours.json"
}
ours=$(cpu_ms BM_NextValueOneQuery)
per_candidate=$(cpu_ms BM_NextValueCountPerCandidate)

# The shell: the query after .load, minus the shell with .load and a trivial statement.
{ echo ".load ${ext%.so}"; "$bench" --kx_print_sql; } >"$tmp/query.sql"
{ echo ".load ${ext%.so}"; echo "select 1;"; } >"$tmp/base.sql"
cpu_seconds() {
  local TIMEFORMAT='%U %S'
  { time sqlite3 -batch "$db" <"$1" >/dev/null; } 2>&1 | awk '{ print $1 + $2 }'
}
rows=$(sqlite3 -batch "$db" <"$tmp/query.sql" | wc -l)
[ "$rows" = "100000" ] || { echo "nextvalue-query: shell query returned $rows rows" >&2; exit 1; }
best() { local b=""; for _ in 1 2 3; do t=$(cpu_seconds "$1"); b=$(awk -v a="$t" -v b="$b" 'BEGIN{print (b=="" || a<b) ? a : b}'); done; echo "$b"; }
q=$(best "$tmp/query.sql")
b=$(best "$tmp/base.sql")
shell_ms=$(awk -v q="$q" -v b="$b" 'BEGIN { printf "%.1f", (q - b) * 1000 }')

awk -v o="$ours" -v p="$per_candidate" -v s="$shell_ms" -v m="$peak_mb" -v v="$proposal" 'BEGIN {
  printf "nextvalue-query: proposal %s; ours %.1f ms, count per candidate %.1f ms, sqlite3 shell query %.1f ms CPU\n", v, o, p, s
  printf "nextvalue-query: per-candidate/ours %.1f (target >= 5), ours/shell %.2f (target <= 1.5), peak %.1f MB (target < 100)\n", p / o, o / s, m
  exit (p / o >= 5 && o / s <= 1.5 && m < 100) ? 0 : 1
}'
