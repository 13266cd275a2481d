#!/usr/bin/env bash
# The job file set against `find | sort` (target <= 2) and the job file import against `cp -r`
# (target <= 1.15), each pair measured in the same run on the same trees.
# Usage: bench/compare_jobfiles.sh BUILD_DIR [benchmark options]. KX_BENCH_JOBFILES_DIR chooses where the trees
# (about 1.1 GiB) are made; they are removed afterwards.
set -euo pipefail
build=${1:?build dir}
bench="$build/bench/bench_jobfiles"
[ -x "$bench" ] || { echo "missing $bench (configure with -DKX_BUILD_BENCH=ON)" >&2; exit 1; }

out=$(mktemp)
err=$(mktemp)
trap 'rm -f "$out" "$err"' EXIT
shift
"$bench" --benchmark_format=csv --benchmark_repetitions=3 --benchmark_report_aggregates_only=true "$@" \
  > "$out" 2> "$err" || { cat "$err" >&2; exit 1; }

# Names carry suffixes such as "/iterations:1/real_time"; the third column is real_time.
median() { awk -F, -v n="$1" 'index($1, "\"" n "/") == 1 && $1 ~ /_median"$/ { print $3 }' "$out"; }
scan=$(median BM_ClsFilesInitialize)
find_sort=$(median BM_FindSort)
import=$(median BM_ImportJobFiles)
cp_r=$(median BM_CpR)

echo "jobfiles: ClsFiles.Initialize of 100000 files ${scan} ms, find | sort ${find_sort} ms (medians, LC_ALL=${LC_ALL:-} LANG=${LANG:-})"
awk -v a="$scan" -v b="$find_sort" 'BEGIN { printf "jobfiles: scan ratio %.2f (target <= 2)\n", a / b }'
echo "jobfiles: ImportJobFiles of 10000 files / 1 GiB ${import} ms, cp -r ${cp_r} ms (medians)"
awk -v a="$import" -v b="$cp_r" 'BEGIN { printf "jobfiles: copy ratio %.2f (target <= 1.15)\n", a / b }'
grep -h "peak resident memory" "$err" | sed 's/^/jobfiles: /'
