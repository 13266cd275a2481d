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
big_ok=0
big_single_job big big_sqlite_demo
sql=$("$printer" --kx_print_update=Material:ST52:ST37)
shell() { printf '.load %s\n%s\n' "${ext%.so}" "$1" | sqlite3 -batch "$tmp/demo-1000000/data/jobs.db"; }
big_replace big "the sqlite3 shell with .load kxsqlite" shell "$sql"
exit $big_ok
