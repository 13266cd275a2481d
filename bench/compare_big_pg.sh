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

sizes=(10000 1000000)
dirs=()
for n in "${sizes[@]}"; do
  d="$tmp/demo-$n"
  demo "$n" "$d"
  big_config "$d" s1 AutoValueType 1 >/dev/null
  big_config "$d" s2 AutoValueType 2 >/dev/null
  big_config "$d" nohist ReplaceHistory 0 >/dev/null
  dirs+=("$d")
done
# The proposals first: strategy 0 continues the table's last job, which new-job then changes.
declare -A fig
collect() {  # NAME < "DIR ms kB" lines
  local d t r
  while read -r d t r; do fig[$1-${d##*-}]="$t $r"; done
}
collect propose < <(big_measure 9 "${dirs[@]}" -- "$cli" propose --config "{d}/torvel.cfg")
for s in 1 2; do
  collect propose$s < <(big_measure 9 "${dirs[@]}" -- "$cli" propose --config "{d}/cfg-s$s/torvel.cfg" --for both)
done
collect newjob < <(big_measure 9 "${dirs[@]}" -- "$cli" new-job --config "{d}/torvel.cfg" --program-number "NB{i}" \
  --filename "NB{i}" --type 0 --machine Laser1 --address "Kunze AG" --order 2024-003)

# (b) as in compare_big.sh: kestrafix ST37 -> ST52, psql back, so every run changes the same rows.
d="$tmp/demo-1000000"
sql=$("$printer" --kx_db="host=$tmp dbname=kx1000000 user=postgres" --kx_print_update=Material:ST52:ST37)
for ((i = 1; i <= 3; i++)); do
  for who in kx kxhist; do
    cfg="$d/cfg-nohist/torvel.cfg"; [ "$who" = kxhist ] && cfg="$d/torvel.cfg"
    start=$(date +%s%N)
    (. "$d/kestrafix.env"; "$cli" replace --config "$cfg" --column Material --like ST37 --value ST52 --yes >/dev/null)
    echo "$who $(( ($(date +%s%N) - start) / 1000 ))"
    start=$(date +%s%N)
    psql_ -d kx1000000 -c "$sql" >/dev/null
    echo "psql $(( ($(date +%s%N) - start) / 1000 ))"
  done
done >"$tmp/replace"
replace_kx=$(big_median "$tmp/replace" kx)
replace_hist=$(big_median "$tmp/replace" kxhist)
replace_psql=$(big_median "$tmp/replace" psql)

ok=0
big_report big-pg "kestrafix propose (next free value)" "${fig[propose-10000]}" "${fig[propose-1000000]}" \
  "kestrafix propose --config torvel.cfg, DbName on the server" || ok=1
big_report big-pg "kestrafix propose (largest text, both keys)" "${fig[propose1-10000]}" "${fig[propose1-1000000]}" \
  "kestrafix propose --config torvel.cfg --for both, AutoValueType=1" || ok=1
big_report big-pg "kestrafix propose (largest number, both keys)" "${fig[propose2-10000]}" "${fig[propose2-1000000]}" \
  "kestrafix propose --config torvel.cfg --for both, AutoValueType=2" || ok=1
big_report big-pg "kestrafix new-job" "${fig[newjob-10000]}" "${fig[newjob-1000000]}" \
  "kestrafix new-job --config torvel.cfg --program-number NB1 --filename NB1 --type 0 --machine Laser1 --address 'Kunze AG' --order 2024-003" || ok=1
awk -v k="$replace_kx" -v h="$replace_hist" -v s="$replace_psql" -v sql="$sql" 'BEGIN {
  printf "big-pg: replace on 1M jobs (250,000 change): kestrafix %.0f ms (kestrafix replace --config torvel.cfg --column Material --like ST37 --value ST52 --yes, ReplaceHistory=0), psql %.0f ms (psql -c with %s), medians of 3 whole runs\n", k / 1000, s / 1000, sql
  printf "big-pg:   ratio %.2f (target <= 1.2)\n", k / s
  printf "big-pg:   with the replace history on (default 50): %.0f ms, ratio %.2f to psql\n", h / 1000, h / s
  exit k / s <= 1.2 ? 0 : 1
}' || ok=1
exit $ok
