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

. "$(dirname "$0")/big_common.sh"
sizes=(10000 1000000)
dirs=()
for n in "${sizes[@]}"; do
  d="$tmp/demo-$n"
  big_sqlite_demo "$n" "$d"
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

# (b) One column of a quarter of the jobs, back and forth: kestrafix ST37 -> ST52, the shell
# ST52 -> ST37, so that every run changes the same rows. The peer runs the update alone, so
# kestrafix is measured with its replace history off (ReplaceHistory=0) against the 1.2x
# target, and with the history on (the default) beside it, for information.
d="$tmp/demo-1000000"
sql=$("$printer" --kx_print_update=Material:ST52:ST37)
for ((i = 1; i <= 3; i++)); do
  for who in kx kxhist; do
    cfg="$d/cfg-nohist/torvel.cfg"; [ "$who" = kxhist ] && cfg="$d/torvel.cfg"
    start=$(date +%s%N)
    (. "$d/kestrafix.env"; "$cli" replace --config "$cfg" --column Material --like ST37 --value ST52 --yes >/dev/null)
    echo "$who $(( ($(date +%s%N) - start) / 1000 ))"
    start=$(date +%s%N)
    printf '.load %s\n%s\n' "${ext%.so}" "$sql" | sqlite3 -batch "$d/data/jobs.db"
    echo "shell $(( ($(date +%s%N) - start) / 1000 ))"
  done
done >"$tmp/replace"
replace_kx=$(big_median "$tmp/replace" kx)
replace_hist=$(big_median "$tmp/replace" kxhist)
replace_shell=$(big_median "$tmp/replace" shell)

ok=0
big_report big "kestrafix propose (next free value)" "${fig[propose-10000]}" "${fig[propose-1000000]}" \
  "kestrafix propose --config torvel.cfg" || ok=1
big_report big "kestrafix propose (largest text, both keys)" "${fig[propose1-10000]}" "${fig[propose1-1000000]}" \
  "kestrafix propose --config torvel.cfg --for both, AutoValueType=1" || ok=1
big_report big "kestrafix propose (largest number, both keys)" "${fig[propose2-10000]}" "${fig[propose2-1000000]}" \
  "kestrafix propose --config torvel.cfg --for both, AutoValueType=2" || ok=1
big_report big "kestrafix new-job" "${fig[newjob-10000]}" "${fig[newjob-1000000]}" \
  "kestrafix new-job --config torvel.cfg --program-number NB1 --filename NB1 --type 0 --machine Laser1 --address 'Kunze AG' --order 2024-003" || ok=1
awk -v k="$replace_kx" -v h="$replace_hist" -v s="$replace_shell" -v sql="$sql" 'BEGIN {
  printf "big: replace on 1M jobs (250,000 change): kestrafix %.0f ms (kestrafix replace --config torvel.cfg --column Material --like ST37 --value ST52 --yes, ReplaceHistory=0), sqlite3 shell %.0f ms (sqlite3 jobs.db with .load kxsqlite and %s), medians\n", k / 1000, s / 1000, sql
  printf "big:   ratio %.2f (target <= 1.2)\n", k / s
  printf "big:   with the replace history on (default 50): %.0f ms, ratio %.2f to the shell (the history has its own figure in compare_replace.sh)\n", h / 1000, h / s
  exit k / s <= 1.2 ? 0 : 1
}' || ok=1
exit $ok
