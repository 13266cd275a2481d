#!/usr/bin/env bash
# A job database of 1,000,000 jobs on a throw-away PostgreSQL server (initdb into a temp folder,
# pg_ctl on a Unix socket there, as the postgres user when run as root; stopped at the end):
#  (a) the uniqueness count through the engine against the same server SQL in psql: <= 1.5x;
#  (b) strategy 2's first row (numeric index) against psql: <= 1.5x;
#  (c) strategy 0 with 100,000 taken values, whole, against its raw query in psql: <= 1.5x;
#  (d) a whole kestrafix new-job (three writes, folders), median wall time: < 50 ms.
# Medians of wall times, both sides over the same socket in the same run; psql's figures are its
# \timing lines.
# Usage: bench/compare_pg.sh BUILD_DIR
set -euo pipefail
build=$(cd "${1:?build dir}" && pwd)
bench="$build/bench/bench_pg"
cli="$build/apps/cli/kestrafix"
# The command line is measured too; bench/run.sh builds the benchmark programs only.
cmake --build "$build" --target kestrafix_cli_binary >/dev/null || { echo "pg: cannot build kestrafix" >&2; exit 1; }
for f in "$bench" "$cli"; do [ -x "$f" ] || { echo "pg: missing $f (configure with -DKX_BUILD_BENCH=ON)" >&2; exit 1; }; done
command -v jq >/dev/null || { echo "pg: needs jq" >&2; exit 1; }

tmp=$(mktemp -d /tmp/kx-bench-pg-XXXXXX)
. "$(dirname "$0")/pg_server.sh"
trap pg_stop EXIT
pg_start || exit 1
psql_ -d postgres -c "CREATE DATABASE kx" >/dev/null
db="host=$tmp dbname=kx user=postgres"

# The demo's machines and folders, and its configuration pointed at the server; then the jobs.
export KESTRAFIX_DRIVE_MAP="$tmp/demo/drives.ini" KESTRAFIX_ADDIN_PATH="$tmp/demo/host/AddIns/Kestrafix" \
  KESTRAFIX_COMMON_DOCUMENTS="$tmp/demo/documents"
"$cli" demo "$tmp/demo" >/dev/null
"$cli" db copy "$tmp/demo/data/jobs.db" "$db" >/dev/null
sed -i "s|^DbName=.*|DbName=$db|" "$tmp/demo/torvel.cfg"
echo "pg: generating 1,000,000 jobs..."
psql_ -d kx >/dev/null <<'SQL'
INSERT INTO "NCDATA" ("Filename", "ProgramNumber", "Machine", "Material")
  SELECT 'AB' || lpad(x::text, 6, '0'), 'Q' || x, 'Laser1', 'ST37' FROM generate_series(1, 100000) x;
INSERT INTO "NCDATA" ("Filename", "ProgramNumber", "Machine", "Material")
  SELECT CASE WHEN x % 20 = 0 THEN (x + 2000000)::text ELSE 'J' || x END, 'Q' || x, 'Laser1', 'ST37'
  FROM generate_series(100001, 999700) x;
VACUUM ANALYZE "NCDATA";
SQL
[ "$(psql_ -d kx -Atc 'select count(*) from "NCDATA"')" = 1000000 ] || { echo "pg: not 1,000,000 jobs" >&2; exit 1; }

# psql: the median of n runs of the server SQL, from \timing.
psql_ms() {  # name n
  local sql; sql=$("$bench" --kx_db="$db" --kx_print_sql="$1")
  { echo '\timing on'; echo '\o /dev/null'; for ((i = 0; i < $2; i++)); do echo "$sql"; done; } >"$tmp/$1.sql"
  psql_ -d kx -f "$tmp/$1.sql" | sed -n 's/^Time: \([0-9.]*\) ms.*/\1/p' | sort -n |
    awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'
}
count_psql=$(psql_ms count 2000)
max_psql=$(psql_ms max 2000)
next_psql=$(psql_ms next 5)

"$bench" --kx_db="$db" --benchmark_filter=NextValue --benchmark_format=json \
  --benchmark_report_aggregates_only=true >"$tmp/engine.json" 2>/dev/null
real_ms() {  # benchmark -> median wall time in ms
  jq -r --arg n "$1" '.benchmarks[] | select((.run_name | startswith($n + "/")) and .aggregate_name == "median")
    | .real_time * (if .time_unit == "us" then 0.001 elif .time_unit == "ns" then 0.000001 else 1 end)' \
    "$tmp/engine.json"
}
count_ours=$("$bench" --kx_db="$db" --kx_median=count)
max_ours=$("$bench" --kx_db="$db" --kx_median=max)
next_ours=$(real_ms BM_NextValueOneQuery)

# A whole new-job, as a user runs it: process start to exit.
runs=15
for ((i = 1; i <= runs; i++)); do
  start=$(date +%s%N)
  "$cli" new-job --config "$tmp/demo/torvel.cfg" --program-number "B$i" --filename "B$i" --type 0 \
    --machine Laser1 --address "Kunze AG" --order 2024-003 >/dev/null
  echo $(( ($(date +%s%N) - start) / 1000 ))
done | sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] / 1000 }' >"$tmp/newjob"
newjob_ms=$(cat "$tmp/newjob")

awk -v co="$count_ours" -v cp="$count_psql" -v mo="$max_ours" -v mp="$max_psql" -v no="$next_ours" \
    -v np="$next_psql" -v nj="$newjob_ms" 'BEGIN {
  printf "pg: uniqueness count: engine %.3f ms (bench_pg --kx_median=count), psql %.3f ms (psql \\timing of bench_pg --kx_print_sql=count)\n", co, cp
  printf "pg:   ratio %.2f (target <= 1.5)\n", co / cp
  printf "pg: strategy 2 first row: engine %.3f ms (bench_pg --kx_median=max), psql %.3f ms (--kx_print_sql=max)\n", mo, mp
  printf "pg:   ratio %.2f (target <= 1.5)\n", mo / mp
  printf "pg: strategy 0, 100,000 taken: engine %.1f ms whole (bench_pg BM_NextValueOneQuery), psql %.1f ms raw query (--kx_print_sql=next)\n", no, np
  printf "pg:   ratio %.2f (target <= 1.5)\n", no / np
  printf "pg: kestrafix new-job (three writes, folders): %.1f ms median of 15 runs (target < 50)\n", nj
  exit (co / cp <= 1.5 && mo / mp <= 1.5 && no / np <= 1.5 && nj < 50) ? 0 : 1
}'
