#!/usr/bin/env bash
# GetAllFiles(root, "*.*", -1) against `find TREE -type f | sort` on one generated tree of
# 100,000 files in 1,000 folders. Usage: bench/compare_fs.sh BUILD_DIR
set -euo pipefail
build=${1:?usage: compare_fs.sh BUILD_DIR}
bench="$build/bench/bench_fs"
[[ -x $bench ]] || { echo "compare_fs: $bench not built" >&2; exit 1; }

tree=$(mktemp -d "${TMPDIR:-/tmp}/kxbench-fs-XXXXXX")
trap 'rm -rf "$tree"' EXIT
for g in $(seq 0 19); do
  for j in $(seq $((g * 50)) $((g * 50 + 49))); do
    d="$tree/G$g/Job$j"
    mkdir -p "$d"
    (cd "$d" && touch $(seq -f 'P%g.nc' 0 99))
  done
done

# Peer: best of 5 runs; wall and CPU (user + sys of both processes) in milliseconds.
# The CPU ratio is the one to judge on a machine whose cores are shared.
TIMEFORMAT='%R %U %S'
peer_wall="" peer_cpu=""
for _ in 1 2 3 4 5; do
  read -r r u s < <( { time find "$tree" -type f | sort > /dev/null; } 2>&1 )
  w=$(awk -v r="$r" 'BEGIN { printf "%d", r * 1000 }')
  c=$(awk -v u="$u" -v s="$s" 'BEGIN { printf "%d", (u + s) * 1000 }')
  if [[ -z $peer_wall || $w -lt $peer_wall ]]; then peer_wall=$w; fi
  if [[ -z $peer_cpu || $c -lt $peer_cpu ]]; then peer_cpu=$c; fi
done
count=$(find "$tree" -type f | wc -l)

out=$(KX_BENCH_TREE="$tree" "$bench" --benchmark_filter='BM_GetAllFiles/1/' --benchmark_format=csv 2>/dev/null)
ours_wall=$(echo "$out" | awk -F, '/BM_GetAllFiles\/1\// {printf "%.1f", $3}')
ours_cpu=$(echo "$out" | awk -F, '/BM_GetAllFiles\/1\// {printf "%.1f", $4}')

echo "files in tree:                 $count"
echo "find | sort (best of 5):       wall ${peer_wall} ms, cpu ${peer_cpu} ms"
echo "GetAllFiles(root, *.*, -1):    wall ${ours_wall} ms, cpu ${ours_cpu} ms"
awk -v a="$ours_wall" -v b="$peer_wall" 'BEGIN { printf "ratio wall: %.2f\n", (b > 0) ? a / b : 0 }'
awk -v a="$ours_cpu" -v b="$peer_cpu" 'BEGIN { printf "ratio cpu:  %.2f (target <= 1.5)\n", (b > 0) ? a / b : 0 }'
