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

# The single-job figures of both scripts: demos of 10,000 and 1,000,000 jobs made by the function
# DEMO (N DIR), then propose (three strategies) and new-job measured with the sizes' runs
# alternating, and reported. Leaves the demos in $tmp/demo-N; sets big_ok=1 when a target is missed.
big_single_job() {  # PREFIX DEMO
  local prefix=$1 make=$2 n d s dirs=()
  for n in 10000 1000000; do
    d="$tmp/demo-$n"
    "$make" "$n" "$d"
    big_config "$d" s1 AutoValueType 1 >/dev/null
    big_config "$d" s2 AutoValueType 2 >/dev/null
    big_config "$d" nohist ReplaceHistory 0 >/dev/null
    dirs+=("$d")
  done
  declare -A fig
  collect() {  # NAME < "DIR ms kB" lines
    local dir t r
    while read -r dir t r; do fig[$1-${dir##*-}]="$t $r"; done
  }
  # The proposals first: strategy 0 continues the table's last job, which new-job then changes.
  collect propose < <(big_measure 9 "${dirs[@]}" -- "$cli" propose --config "{d}/torvel.cfg")
  for s in 1 2; do
    collect propose$s < <(big_measure 9 "${dirs[@]}" -- "$cli" propose --config "{d}/cfg-s$s/torvel.cfg" --for both)
  done
  collect newjob < <(big_measure 9 "${dirs[@]}" -- "$cli" new-job --config "{d}/torvel.cfg" --program-number "NB{i}" \
    --filename "NB{i}" --type 0 --machine Laser1 --address "Kunze AG" --order 2024-003)
  big_report "$prefix" "kestrafix propose (next free value)" "${fig[propose-10000]}" "${fig[propose-1000000]}" \
    "kestrafix propose --config torvel.cfg" || big_ok=1
  big_report "$prefix" "kestrafix propose (largest text, both keys)" "${fig[propose1-10000]}" \
    "${fig[propose1-1000000]}" "kestrafix propose --config torvel.cfg --for both, AutoValueType=1" || big_ok=1
  big_report "$prefix" "kestrafix propose (largest number, both keys)" "${fig[propose2-10000]}" \
    "${fig[propose2-1000000]}" "kestrafix propose --config torvel.cfg --for both, AutoValueType=2" || big_ok=1
  big_report "$prefix" "kestrafix new-job" "${fig[newjob-10000]}" "${fig[newjob-1000000]}" \
    "kestrafix new-job --config torvel.cfg --program-number NB1 --filename NB1 --type 0 --machine Laser1 --address 'Kunze AG' --order 2024-003" ||
    big_ok=1
}

# One column of a quarter of the 1M jobs, back and forth: kestrafix ST37 -> ST52, the peer
# (a function running SQL, ST52 -> ST37, once) back, so that every run changes the same rows.
# The peer runs the update alone, so kestrafix is measured with its replace history off against
# the 1.2x target, and with the history on (the default) beside it, for information.
big_replace() {  # PREFIX PEER-NAME PEER SQL
  local prefix=$1 name=$2 peer=$3 sql=$4 d="$tmp/demo-1000000" i who cfg start
  for ((i = 1; i <= 3; i++)); do
    for who in kx kxhist; do
      cfg="$d/cfg-nohist/torvel.cfg"; [ "$who" = kxhist ] && cfg="$d/torvel.cfg"
      start=$(date +%s%N)
      (. "$d/kestrafix.env"; "$cli" replace --config "$cfg" --column Material --like ST37 --value ST52 --yes >/dev/null)
      echo "$who $(( ($(date +%s%N) - start) / 1000 ))"
      start=$(date +%s%N)
      "$peer" "$sql"
      echo "peer $(( ($(date +%s%N) - start) / 1000 ))"
    done
  done >"$tmp/replace"
  awk -v p="$prefix" -v n="$name" -v k="$(big_median "$tmp/replace" kx)" -v h="$(big_median "$tmp/replace" kxhist)" \
      -v s="$(big_median "$tmp/replace" peer)" -v sql="$sql" 'BEGIN {
    printf "%s: replace on 1M jobs (250,000 change): kestrafix %.0f ms (kestrafix replace --config torvel.cfg --column Material --like ST37 --value ST52 --yes, ReplaceHistory=0), %s %.0f ms (%s), medians of 3 whole runs\n", p, k / 1000, n, s / 1000, sql
    printf "%s:   ratio %.2f (target <= 1.2)\n", p, k / s
    printf "%s:   with the replace history on (default 50): %.0f ms, ratio %.2f (the history has its own figure in compare_replace.sh)\n", p, h / 1000, h / s
    exit k / s <= 1.2 ? 0 : 1
  }' || big_ok=1
}
