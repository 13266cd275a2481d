# Shared by bench/compare_big.sh and bench/compare_big_pg.sh (sourced; needs $tmp).

# Jobs x = 1..N as VALUES of the demo's job columns, from a row number "x" and a zero-padding
# function pad7(x): keys of three kinds as the demo's, the last job a "BL-" one, so that the
# proposal continues a run shared by a third of the table. Both engines generate the same jobs.
big_job_columns() {  # QUOTE
  local q=$1 c out=
  for c in Filename ProgramNumber DataType Machine Machineset Version Author Createdate DataArchive \
           Released Adresstext OrderNumber Material Materialthickness Name Customer; do
    out+="${out:+, }$q$c$q"
  done
  echo "$out"
}
big_job_values() {  # PAD7-FUNCTION-PREFIX PAD7-FUNCTION-SUFFIX TEXT-CAST
  local p=$1 s=$2 t=$3
  cat <<SQL
CASE x % 3 WHEN 1 THEN 'BL-' || ${p}x${s} WHEN 2 THEN 'A' || ${p}x${s} ELSE CAST(2000000 + x AS $t) END,
CASE x % 4 WHEN 3 THEN 'P' || ${p}x${s} ELSE CAST(3000000 + x AS $t) END,
x % 5, CASE x % 3 WHEN 0 THEN 'Laser1' WHEN 1 THEN 'Stanze' ELSE 'Biege' END,
CASE x % 3 WHEN 1 THEN 'S' || CAST(1 + x % 2 AS $t) WHEN 2 THEN 'B1' END,
1 + x % 3, 'demo', '2024-05-06 07:08:09', 0, x % 2,
CASE x % 3 WHEN 0 THEN 'Becker GmbH' WHEN 1 THEN 'Kunze AG' ELSE 'Nordblech' END,
'2024-' || CASE 1 + x % 4 WHEN 1 THEN '001' WHEN 2 THEN '002' WHEN 3 THEN '003' ELSE '004' END,
CASE x % 4 WHEN 0 THEN 'ST37' WHEN 1 THEN 'AL99' WHEN 2 THEN 'V2A' ELSE 'CU' END, 1.5,
'Teil ' || CAST(x AS $t), 'Kunze AG'
SQL
}

big_sqlite_generator() {  # N
  cat <<SQL
BEGIN;
INSERT INTO NCDATA ($(big_job_columns ''))
SELECT $(big_job_values "printf('%07d', " ")" TEXT)
FROM (SELECT value AS x FROM generate_series(1, $1));
COMMIT;
ANALYZE;
SQL
}

# A demo (machines, folders, configuration) whose job table holds N generated jobs: an SQLite
# database generated once into $cache (needs $cli and $ext).
big_sqlite_demo() {  # N DIR
  local n=$1 dir=$2
  "$cli" demo "$dir" --jobs 1 >/dev/null
  local key; key=$({ sqlite3 "$dir/data/jobs.db" .schema; big_sqlite_generator "$n"; } | md5sum | cut -c1-12)
  local db="$cache/jobs-$n-$key.db"
  if [ ! -f "$db" ]; then
    echo "big: generating $n jobs..."
    local start; start=$(date +%s%N)
    cp "$dir/data/jobs.db" "$db.part"
    { echo ".load ${ext%.so}"; big_sqlite_generator "$n"; } | sqlite3 -batch "$db.part"
    mv "$db.part" "$db"
    echo "big:   $(( ($(date +%s%N) - start) / 1000000 )) ms"
  fi
  cp "$db" "$dir/data/jobs.db"
}

# Median wall time (ms) and peak RSS (kB) of R runs of a command in each demo DIR, the runs of the
# demos interleaved so that both sizes see the same machine load. In the command {d} becomes the
# demo's folder and {i} the run; the demo's kestrafix.env is sourced first. Prints one line
# "DIR ms kB" per demo.
big_measure() {  # R DIR... -- command...
  local runs=$1 dirs=() i d; shift
  while [ "$1" != -- ]; do dirs+=("$1"); shift; done
  shift
  for ((i = 1; i <= runs; i++)); do
    for d in "${dirs[@]}"; do
      local args=("${@//\{i\}/$i}")
      args=("${args[@]//\{d\}/$d}")
      local start; start=$(date +%s%N)
      (. "$d/kestrafix.env"; /usr/bin/time -f '%M' -o "$tmp/rss" "${args[@]}" >/dev/null)
      echo "$d $(( ($(date +%s%N) - start) / 1000 )) $(cat "$tmp/rss")"
    done
  done | sort -k1,1 -k2,2n | awk '
    $1 != d { if (d != "") out(); d = $1; n = 0; m = 0 }
    { t[++n] = $2; if ($3 > m) m = $3 }
    END { out() }
    function out() { printf "%s %.2f %d\n", d, t[int((n + 1) / 2)] / 1000, m }'
}

# A configuration like the demo's torvel.cfg with one key changed, in a folder of its own so that
# its name (which names the message file) stays torvel.cfg. Prints its path.
big_config() {  # DEMO-DIR NAME KEY VALUE
  local dir="$1/cfg-$2"
  mkdir -p "$dir"
  if grep -q "^$3=" "$1/torvel.cfg"; then
    sed "s/^$3=.*/$3=$4\r/" "$1/torvel.cfg" >"$dir/torvel.cfg"
  else
    sed "s/^\(\[TORVEL\].*\)$/\1\n$3=$4\r/" "$1/torvel.cfg" >"$dir/torvel.cfg"
  fi
  grep -q "^$3=$4" "$dir/torvel.cfg" || { echo "bench: cannot set $3 in $dir/torvel.cfg" >&2; return 1; }
  echo "$dir/torvel.cfg"
}

# One figure at 10k and 1M with its targets; exit status 1 when a target is missed.
big_report() {  # PREFIX name "t10k rss10k" "t1M rss1M" command
  local t1 r1 t2 r2
  read -r t1 r1 <<<"$3"
  read -r t2 r2 <<<"$4"
  awk -v p="$1" -v n="$2" -v t1="$t1" -v t2="$t2" -v r1="$r1" -v r2="$r2" -v c="$5" 'BEGIN {
    printf "%s: %s: 10k %.1f ms %.1f MB, 1M %.1f ms %.1f MB (median of 9 runs, sizes interleaved; %s)\n", p, n, t1, r1 / 1024, t2, r2 / 1024, c
    printf "%s:   time ratio 1M/10k %.2f (target <= 2), peak RSS at 1M %.1f MB (target < 30)\n", p, t2 / t1, r2 / 1024
    exit (t2 / t1 <= 2 && r2 / 1024 < 30) ? 0 : 1
  }'
}

# Median (microseconds) of the second field of the lines of FILE whose first field is WHO.
big_median() {  # FILE WHO
  awk -v w="$2" '$1 == w { print $2 }' "$1" | sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'
}
