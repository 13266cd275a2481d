#!/usr/bin/env bash
# The bulk replace with its history beside the same replace without it, on 1,000,000 jobs (every
# column filled, as a shop's jobs are; bench_replace --kx_rows=bare for keys only) of which all,
# or every second, or every 100th, match, on an SQLite file and on a throw-away PostgreSQL server
# (initdb into a temp folder, pg_ctl on a Unix socket there, as the postgres user when run as
# root; stopped at the end): a history that prunes nothing, one that prunes the replace before
# every time, and, where all jobs match, a full history of 50 that prunes its oldest entry.
# bench_replace prints the medians and fails when the history costs more than 1.5x.
# Usage: bench/compare_replace.sh BUILD_DIR
#   (KX_BENCH_REPLACE_JOBS, KX_BENCH_REPLACE_EVERY="1 2 100" ("": none), KX_BENCH_REPLACE_ROUNDS,
#    KX_BENCH_REPLACE_STEADY="sqlite pg": the engines that also run the full history)
set -euo pipefail
build=$(cd "${1:?build dir}" && pwd)
bench="$build/bench/bench_replace"
[ -x "$bench" ] || { echo "replace: missing $bench (configure with -DKX_BUILD_BENCH=ON)" >&2; exit 1; }
jobs=${KX_BENCH_REPLACE_JOBS:-1000000}
rounds=${KX_BENCH_REPLACE_ROUNDS:-3}
every=${KX_BENCH_REPLACE_EVERY-1 2 100}
steady=${KX_BENCH_REPLACE_STEADY-sqlite pg}

tmp=$(mktemp -d /tmp/kx-bench-replace-XXXXXX)
bin=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -1 || true)
as_server() { if [ "$(id -u)" = 0 ]; then runuser -u postgres -- "$@"; else "$@"; fi; }
stop() {
  [ -f "$tmp/data/postmaster.pid" ] && as_server "$bin/pg_ctl" -D "$tmp/data" -m fast -w stop >/dev/null 2>&1
  rm -rf "$tmp"
}
trap stop EXIT

failed=0
for e in $every; do
  "$bench" --kx_db="$tmp/jobs-$e.db" --kx_jobs="$jobs" --kx_every="$e" --kx_rounds="$rounds" || failed=1
done
if [[ " $steady " == *" sqlite "* ]]; then
  "$bench" --kx_db="$tmp/jobs-steady.db" --kx_jobs="$jobs" --kx_rounds="$rounds" --kx_steady=1 || failed=1
fi

if [ -x "${bin:-}/initdb" ]; then
  [ "$(id -u)" = 0 ] && chown postgres "$tmp"
  as_server "$bin/initdb" -D "$tmp/data" -U postgres -A trust -E UTF8 --locale=C >"$tmp/initdb.log" 2>&1 ||
    { cat "$tmp/initdb.log" >&2; exit 1; }
  as_server "$bin/pg_ctl" -D "$tmp/data" -l "$tmp/server.log" -w -o \
    "-c listen_addresses='' -c unix_socket_directories='$tmp' -c shared_buffers=256MB" start >/dev/null
  for e in $every; do
    psql -X -q -h "$tmp" -U postgres -d postgres -c "CREATE DATABASE kx$e" >/dev/null
    "$bench" --kx_db="host=$tmp dbname=kx$e user=postgres" --kx_jobs="$jobs" --kx_every="$e" \
      --kx_rounds="$rounds" || failed=1
  done
  if [[ " $steady " == *" pg "* ]]; then
    psql -X -q -h "$tmp" -U postgres -d postgres -c "CREATE DATABASE kxsteady" >/dev/null
    "$bench" --kx_db="host=$tmp dbname=kxsteady user=postgres" --kx_jobs="$jobs" --kx_rounds="$rounds" \
      --kx_steady=1 || failed=1
  fi
else
  echo "replace: no PostgreSQL server binaries (Debian package postgresql); server side skipped" >&2
fi
exit $failed
