#!/usr/bin/env bash
# One job at any table size: the same demo with 10,000 and with 1,000,000 jobs, side by side.
#  (a) kestrafix new-job (no copy) and kestrafix propose (the demo's next free value, and the
#      largest text and numeric values over both keys): median wall time of a whole run at 1M
#      within 2x of the same at 10k; peak RSS at 1M under 30 MB (GNU time's maximum resident set).
#  (b) kestrafix replace of one column on 1M jobs (count, question answered, update) against the
#      engine's own update statement run once by the sqlite3 shell with kxsqlite: <= 1.2x.
# The job databases are generated once (one INSERT ... SELECT in one transaction through the
# sqlite3 shell with the kxsqlite extension) and kept in BUILD_DIR/bench-data/big, named after
# a hash of the schema and the generator, so a changed schema generates them anew.
# Usage: bench/compare_big.sh BUILD_DIR
set -euo pipefail
build=$(cd "${1:?build dir}" && pwd)
cli="$build/apps/cli/kestrafix"
ext="$build/src/platform/sqlite_ext/kxsqlite.so"
printer="$build/bench/bench_big"
cmake --build "$build" --target kestrafix_cli_binary kxsqlite bench_big >/dev/null ||
  { echo "big: cannot build kestrafix" >&2; exit 1; }
[ -x "$cli" ] && [ -f "$ext" ] || { echo "big: missing $cli or $ext" >&2; exit 1; }
command -v sqlite3 >/dev/null || { echo "big: sqlite3 shell not installed" >&2; exit 1; }
[ -x /usr/bin/time ] || { echo "big: GNU time (/usr/bin/time) not installed" >&2; exit 1; }

tmp=$(mktemp -d /tmp/kx-bench-big-XXXXXX)
trap 'rm -rf "$tmp"' EXIT
cache="$build/bench-data/big"
mkdir -p "$cache"

# Jobs x = 1..N: keys of three kinds as the demo's, the last job a "BL-" one, so that the
# proposal continues a run shared by a third of the table.
generator() {  # N
  cat <<SQL
BEGIN;
INSERT INTO NCDATA (Filename, ProgramNumber, DataType, Machine, Machineset, Version, Author, Createdate,
                    DataArchive, Released, Adresstext, OrderNumber, Material, Materialthickness, Name, Customer)
SELECT CASE value % 3 WHEN 1 THEN printf('BL-%07d', value) WHEN 2 THEN printf('A%07d', value)
                      ELSE CAST(2000000 + value AS TEXT) END,
       CASE value % 4 WHEN 3 THEN printf('P%07d', value) ELSE CAST(3000000 + value AS TEXT) END,
       value % 5, CASE value % 3 WHEN 0 THEN 'Laser1' WHEN 1 THEN 'Stanze' ELSE 'Biege' END,
       CASE value % 3 WHEN 1 THEN 'S' || (1 + value % 2) WHEN 2 THEN 'B1' END,
       1 + value % 3, 'demo', '2024-05-06 07:08:09', 0, value % 2,
       CASE value % 3 WHEN 0 THEN 'Becker GmbH' WHEN 1 THEN 'Kunze AG' ELSE 'Nordblech' END,
       printf('2024-%03d', 1 + value % 4), CASE value % 4 WHEN 0 THEN 'ST37' WHEN 1 THEN 'AL99'
       WHEN 2 THEN 'V2A' ELSE 'CU' END, 1.5, 'Teil ' || value, 'Kunze AG'
FROM generate_series(1, $1);
COMMIT;
ANALYZE;
SQL
}

# A demo (machines, folders, configuration) whose job table holds N generated jobs.
demo() {  # N DIR
  local n=$1 dir=$2
  "$cli" demo "$dir" --jobs 1 >/dev/null
  local key; key=$({ sqlite3 "$dir/data/jobs.db" .schema; generator "$n"; } | md5sum | cut -c1-12)
  local db="$cache/jobs-$n-$key.db"
  if [ ! -f "$db" ]; then
    echo "big: generating $n jobs..."
    local start; start=$(date +%s%N)
    cp "$dir/data/jobs.db" "$db.part"
    { echo ".load ${ext%.so}"; generator "$n"; } | sqlite3 -batch "$db.part"
    mv "$db.part" "$db"
    echo "big:   $(( ($(date +%s%N) - start) / 1000000 )) ms"
  fi
  cp "$db" "$dir/data/jobs.db"
}

# Median wall time (ms) and peak RSS (kB) of R runs of a command; {i} in it becomes the run.
measure() {  # DIR R command...
  local dir=$1 runs=$2; shift 2
  local i out
  for ((i = 1; i <= runs; i++)); do
    local args=("${@//\{i\}/$i}")
    local start; start=$(date +%s%N)
    (. "$dir/kestrafix.env"; /usr/bin/time -f '%M' -o "$tmp/rss" "${args[@]}" >/dev/null)
    echo "$(( ($(date +%s%N) - start) / 1000 )) $(cat "$tmp/rss")"
  done | sort -n | awk '{ t[NR] = $1; if ($2 > m) m = $2 } END { printf "%.2f %d\n", t[int((NR + 1) / 2)] / 1000, m }'
}

sizes=(10000 1000000)
declare -A fig
for n in "${sizes[@]}"; do
  d="$tmp/demo-$n"
  demo "$n" "$d"
  # The proposals first: strategy 0 continues the table's last job, which new-job then changes.
  fig[propose-$n]=$(measure "$d" 9 "$cli" propose --config "$d/torvel.cfg")
  for s in 1 2; do
    sed "s/^AutoValueType=.*/AutoValueType=$s\r/" "$d/torvel.cfg" >"$d/torvel-$s.cfg"
    fig[propose$s-$n]=$(measure "$d" 9 "$cli" propose --config "$d/torvel-$s.cfg" --for both)
  done
  fig[newjob-$n]=$(measure "$d" 9 "$cli" new-job --config "$d/torvel.cfg" --program-number "NB{i}" \
    --filename "NB{i}" --type 0 --machine Laser1 --address "Kunze AG" --order 2024-003)
done

# (b) One column of a quarter of the jobs, back and forth: kestrafix ST37 -> ST52, the shell
# ST52 -> ST37, so that every run changes the same rows.
d="$tmp/demo-1000000"
sql=$("$printer" --kx_print_update=Material:ST52:ST37)
for ((i = 1; i <= 3; i++)); do
  start=$(date +%s%N)
  (. "$d/kestrafix.env"; "$cli" replace --config "$d/torvel.cfg" --column Material --like ST37 --value ST52 \
    --yes >/dev/null)
  echo "kx $(( ($(date +%s%N) - start) / 1000 ))"
  start=$(date +%s%N)
  printf '.load %s\n%s\n' "${ext%.so}" "$sql" | sqlite3 -batch "$d/data/jobs.db"
  echo "shell $(( ($(date +%s%N) - start) / 1000 ))"
done >"$tmp/replace"
median() { awk -v w="$1" '$1 == w { print $2 }' "$tmp/replace" | sort -n | sed -n 2p; }
replace_kx=$(median kx)
replace_shell=$(median shell)

report() {  # name "t10k rss10k" "t1M rss1M" command
  read -r t1 r1 <<<"$2"
  read -r t2 r2 <<<"$3"
  awk -v n="$1" -v t1="$t1" -v t2="$t2" -v r1="$r1" -v r2="$r2" -v c="$4" 'BEGIN {
    printf "big: %s: 10k %.1f ms %.1f MB, 1M %.1f ms %.1f MB (median of 9 runs; %s)\n", n, t1, r1 / 1024, t2, r2 / 1024, c
    printf "big:   time ratio 1M/10k %.2f (target <= 2), peak RSS at 1M %.1f MB (target < 30)\n", t2 / t1, r2 / 1024
    exit (t2 / t1 <= 2 && r2 / 1024 < 30) ? 0 : 1
  }'
}
ok=0
report "kestrafix propose (next free value)" "${fig[propose-10000]}" "${fig[propose-1000000]}" \
  "kestrafix propose --config torvel.cfg" || ok=1
report "kestrafix propose (largest text, both keys)" "${fig[propose1-10000]}" "${fig[propose1-1000000]}" \
  "kestrafix propose --config torvel.cfg --for both, AutoValueType=1" || ok=1
report "kestrafix propose (largest number, both keys)" "${fig[propose2-10000]}" "${fig[propose2-1000000]}" \
  "kestrafix propose --config torvel.cfg --for both, AutoValueType=2" || ok=1
report "kestrafix new-job" "${fig[newjob-10000]}" "${fig[newjob-1000000]}" \
  "kestrafix new-job --config torvel.cfg --program-number NB1 --filename NB1 --type 0 --machine Laser1 --address 'Kunze AG' --order 2024-003" || ok=1
awk -v k="$replace_kx" -v s="$replace_shell" -v sql="$sql" 'BEGIN {
  printf "big: replace on 1M jobs (250,000 change): kestrafix %.0f ms (kestrafix replace --config torvel.cfg --column Material --like ST37 --value ST52 --yes), sqlite3 shell %.0f ms (sqlite3 jobs.db with .load kxsqlite and %s), medians of 3\n", k / 1000, s / 1000, sql
  printf "big:   ratio %.2f (target <= 1.2)\n", k / s
  exit k / s <= 1.2 ? 0 : 1
}' || ok=1
exit $ok
