#!/usr/bin/env bash
# One job at any table size on a server: bench/compare_big.sh's figures with the job database on a
# throw-away PostgreSQL server, the same generated jobs (10,000 and 1,000,000, in two databases):
#  (a) kestrafix new-job (no copy) and kestrafix propose: median wall time at 1M within 2x of 10k;
#      peak RSS at 1M under 30 MB;
#  (b) kestrafix replace of one column on 1M jobs against the same update run once by psql:
#      <= 1.2x (history off, as the peer runs the update alone; with it on for information).
# The jobs are generated anew in each run (one INSERT ... SELECT); the server is stopped at the end.
# Usage: bench/compare_big_pg.sh BUILD_DIR
set -euo pipefail
build=$(cd "${1:?build dir}" && pwd)
cli="$build/apps/cli/kestrafix"
printer="$build/bench/bench_big"
cmake --build "$build" --target kestrafix_cli_binary bench_big >/dev/null ||
  { echo "big-pg: cannot build kestrafix" >&2; exit 1; }
[ -x /usr/bin/time ] || { echo "big-pg: GNU time (/usr/bin/time) not installed" >&2; exit 1; }

tmp=$(mktemp -d /tmp/kx-bench-big-pg-XXXXXX)
. "$(dirname "$0")/pg_server.sh"
. "$(dirname "$0")/big_common.sh"
trap pg_stop EXIT
pg_start || exit 1

# A demo whose configuration names server database kxN, holding the demo's tables and N jobs.
demo() {  # N DIR
  local n=$1 dir=$2 db="host=$tmp dbname=kx$1 user=postgres"
  "$cli" demo "$dir" --jobs 1 >/dev/null
  psql_ -d postgres -c "CREATE DATABASE kx$n" >/dev/null
  "$cli" db copy "$dir/data/jobs.db" "$db" >/dev/null
  sed -i "s|^DbName=.*|DbName=$db\r|" "$dir/torvel.cfg"
  echo "big-pg: generating $n jobs..."
  local start; start=$(date +%s%N)
  psql_ -d "kx$n" >/dev/null <<SQL
INSERT INTO "NCDATA" ($(big_job_columns '"'))
SELECT $(big_job_values "lpad(CAST(" " AS text), 7, '0')" text)
FROM generate_series(1, $n) AS g (x);
VACUUM ANALYZE "NCDATA";
SQL
  echo "big-pg:   $(( ($(date +%s%N) - start) / 1000000 )) ms"
}

big_ok=0
big_single_job big-pg demo
sql=$("$printer" --kx_db="host=$tmp dbname=kx1000000 user=postgres" --kx_print_update=Material:ST52:ST37)
server() { psql_ -d kx1000000 -c "$1" >/dev/null; }
big_replace big-pg "psql -c" server "$sql"
exit $big_ok
