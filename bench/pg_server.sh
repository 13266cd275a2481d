# A throw-away PostgreSQL server for the bench scripts (sourced; needs $tmp): initdb into
# $tmp/data, pg_ctl on a Unix socket in $tmp, as the postgres user when run as root. Call
# pg_start once; pg_stop (in the script's EXIT trap) stops it. psql_ runs psql against it.
pg_bin=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -1)
as_server() { if [ "$(id -u)" = 0 ]; then runuser -u postgres -- "$@"; else "$@"; fi; }
psql_() { psql -X -q -v ON_ERROR_STOP=1 -h "$tmp" -U postgres "$@"; }
pg_start() {
  [ -x "$pg_bin/initdb" ] || { echo "pg: no server binaries (Debian package postgresql)" >&2; return 1; }
  command -v psql >/dev/null || { echo "pg: psql not installed" >&2; return 1; }
  [ "$(id -u)" = 0 ] && chown postgres "$tmp"
  as_server "$pg_bin/initdb" -D "$tmp/data" -U postgres -A trust -E UTF8 --locale=C >"$tmp/initdb.log" 2>&1 ||
    { cat "$tmp/initdb.log" >&2; return 1; }
  as_server "$pg_bin/pg_ctl" -D "$tmp/data" -l "$tmp/server.log" -w -o \
    "-c listen_addresses='' -c unix_socket_directories='$tmp' -c shared_buffers=256MB" start >/dev/null
}
pg_stop() {
  [ -f "$tmp/data/postmaster.pid" ] && as_server "$pg_bin/pg_ctl" -D "$tmp/data" -m fast -w stop >/dev/null 2>&1
  rm -rf "$tmp"
}
