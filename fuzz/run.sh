#!/usr/bin/env bash
# Builds the libFuzzer targets with clang in build-fuzz/ and runs each on its seed corpus.
#   fuzz/run.sh [seconds per target, default 5] [target ...]   (targets: fuzz_<name>, default all)
# New inputs go to build-fuzz/corpus/<target>/ (the seeds in fuzz/corpus/ stay as they are);
# a failing input is kept as build-fuzz/crash-<target>-*, and the run stops with its status.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-5}
shift || true
build=${KX_FUZZ_BUILD:-build-fuzz}
jobs=$(nproc)
# The file targets write every input: a memory file system keeps them fast.
if [ -z "${TMPDIR:-}" ] && [ -d /dev/shm ] && [ -w /dev/shm ]; then export TMPDIR=/dev/shm; fi

cmake -S . -B "$build" -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DKX_WERROR="${KX_WERROR:-OFF}" -DKX_FUZZ=ON -DKX_BUILD_TESTS=OFF -DKX_BUILD_GUI=OFF -DKX_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" --target kx_fuzz -j "$jobs"

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for seeds in fuzz/corpus/*/; do targets+=("fuzz_$(basename "$seeds")"); done
fi
for t in "${targets[@]}"; do
  name=${t#fuzz_}
  work="$build/corpus/$name"
  mkdir -p "$work"
  log="$build/fuzz-$name.log"
  echo "fuzz: $t for ${seconds}s"
  if "$build/fuzz/$t" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="$build/crash-$name-" "$work" "fuzz/corpus/$name" >"$log" 2>&1; then
    grep -E "^stat::number_of_executed_units" "$log" | sed 's/^/  /' || true
  else
    tail -n 40 "$log" >&2
    echo "fuzz: $t failed; its input is in $build/crash-$name-*" >&2
    exit 1
  fi
done
