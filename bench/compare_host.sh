#!/usr/bin/env bash
# The host window at any table size: kestrafix-host --timing on the demo with 10,000 and with
# 1,000,000 jobs, offscreen, side by side: the time to the first screen of the job table (from
# the start of main to the first paint with rows), the time to scroll to the last row (and its
# paint), both as the host measures them, and the peak RSS of the whole run (GNU time).
# Targets at 1M: first screen <= 0.5 s, scroll <= 0.2 s, peak RSS < 200 MB.
# BUILD_DIR (GUI off, as bench/run.sh makes it) gives the command line and the generated job
# databases (shared with compare_big.sh); the host and its add-in library are built here in
# Release in BUILD_DIR-host.
# Usage: bench/compare_host.sh BUILD_DIR
set -euo pipefail
src=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:?build dir}" && pwd)
hostbuild="$build-host"
cli="$build/apps/cli/kestrafix"
ext="$build/src/platform/sqlite_ext/kxsqlite.so"
host="$hostbuild/apps/host/kestrafix-host"
addin="$hostbuild/src/addin/libkestrafix.so"
runs=7
cmake --build "$build" --target kestrafix_cli_binary kxsqlite >/dev/null ||
  { echo "host: cannot build kestrafix" >&2; exit 1; }
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
echo "host: building kestrafix-host in $hostbuild (Release)"
mkdir -p "$hostbuild"
{ cmake -S "$src" -B "$hostbuild" -DCMAKE_BUILD_TYPE=Release -DKX_BUILD_TESTS=OFF -DKX_BUILD_GUI=ON \
    -DKX_BUILD_BENCH=OFF "${launcher[@]}" &&
    cmake --build "$hostbuild" -j "${KX_BENCH_JOBS:-2}" --target kestrafix-host kestrafix; } >"$hostbuild/bench-build.log" 2>&1 ||
  { tail -20 "$hostbuild/bench-build.log" >&2; echo "host: cannot build kestrafix-host in $hostbuild" >&2; exit 1; }
[ -x "$cli" ] && [ -f "$ext" ] && [ -x "$host" ] && [ -f "$addin" ] || { echo "host: missing binaries" >&2; exit 1; }
command -v sqlite3 >/dev/null || { echo "host: sqlite3 shell not installed" >&2; exit 1; }
[ -x /usr/bin/time ] || { echo "host: GNU time (/usr/bin/time) not installed" >&2; exit 1; }

tmp=$(mktemp -d /tmp/kx-bench-host-XXXXXX)
trap 'rm -rf "$tmp"' EXIT
cache="$build/bench-data/big"
mkdir -p "$cache" "$tmp/xdg/kestrafix"
. "$(dirname "$0")/big_common.sh"
# The host finds the add-in through a registry of its own; its settings stay in $tmp too.
printf '[Kestrafix.IFace]\r\nLibrary=%s\r\n' "$addin" >"$tmp/xdg/kestrafix/addins.ini"

sizes=(10000 1000000)
for n in "${sizes[@]}"; do big_sqlite_demo "$n" "$tmp/demo-$n"; done
for ((i = 1; i <= runs; i++)); do
  for n in "${sizes[@]}"; do
    XDG_CONFIG_HOME="$tmp/xdg" XDG_CONFIG_DIRS="$tmp/none" QT_QPA_PLATFORM=offscreen \
      /usr/bin/time -f '%M' -o "$tmp/rss" "$host" --timing --config "$tmp/demo-$n/torvel.cfg" >"$tmp/out" 2>"$tmp/err" ||
      { echo "host: kestrafix-host --timing failed on $n jobs" >&2; cat "$tmp/out" "$tmp/err" >&2; exit 1; }
    awk -v n="$n" -v rss="$(cat "$tmp/rss")" '
      /^rows:/ { rows = $2 } /^first screen:/ { f = $3 } /^scroll to last:/ { s = $4 }
      END { print n, rows, f, s, rss }' "$tmp/out"
  done
done >"$tmp/figures"

awk -v runs="$runs" -v cmd="QT_QPA_PLATFORM=offscreen $host --timing --config DEMO/torvel.cfg" '
  function median(a, k,   i, j, t, v) {
    for (i = 1; i <= k; i++) v[i] = a[i]
    for (i = 2; i <= k; i++) { t = v[i]; for (j = i - 1; j >= 1 && v[j] > t; j--) v[j + 1] = v[j]; v[j + 1] = t }
    return v[int((k + 1) / 2)]
  }
  { k = ++count[$1]; rows[$1] = $2; first[$1, k] = $3; scroll[$1, k] = $4; if ($5 > rss[$1]) rss[$1] = $5 }
  END {
    for (s = 0; s < 2; s++) {
      n = s ? 1000000 : 10000
      for (i = 1; i <= count[n]; i++) { a[i] = first[n, i]; b[i] = scroll[n, i] }
      f[s] = median(a, count[n]); c[s] = median(b, count[n]); m[s] = rss[n] / 1024
      if (rows[n] < n) { printf "host: %d rows shown of a table of %d jobs\n", rows[n], n; bad = 1 }
    }
    printf "host: kestrafix-host on the demo with 10k / 1M jobs, offscreen, median of %d runs each, sizes interleaved (%s)\n", runs, cmd
    printf "host:   first screen: 10k %.1f ms, 1M %.1f ms, ratio 1M/10k %.2f (target at 1M <= 500 ms)\n", f[0], f[1], f[1] / f[0]
    printf "host:   scroll to last row: 10k %.1f ms, 1M %.1f ms, ratio %.2f (target at 1M <= 200 ms)\n", c[0], c[1], c[1] / c[0]
    printf "host:   peak RSS: 10k %.1f MB, 1M %.1f MB, ratio %.2f (target at 1M < 200 MB)\n", m[0], m[1], m[1] / m[0]
    exit (bad || f[1] > 500 || c[1] > 200 || m[1] >= 200) ? 1 : 0
  }' "$tmp/figures"
