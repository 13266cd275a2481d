#!/usr/bin/env bash
# Builds the benchmarks in Release (build-bench) and runs every bench/compare_*.sh in name
# order, passing the build dir. An area adds its own compare script; nothing else changes.
# Usage: bench/run.sh [BUILD_DIR]
set -uo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-bench}
jobs=${KX_BENCH_JOBS:-2}

cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DKX_BUILD_TESTS=OFF -DKX_BUILD_GUI=OFF \
  -DKX_BUILD_BENCH=ON >/dev/null || { echo "bench: configure failed" >&2; exit 1; }

# Only the benchmark programs (and what they link) are built.
targets=()
for src in bench/bench_*.cpp; do
  [ -e "$src" ] && targets+=("$(basename "$src" .cpp)")
done
[ ${#targets[@]} -gt 0 ] || { echo "bench: no benchmarks" >&2; exit 1; }
cmake --build "$build" -j "$jobs" --target "${targets[@]}" || { echo "bench: build failed" >&2; exit 1; }

failed=0
for script in $(printf '%s\n' bench/compare_*.sh | LC_ALL=C sort); do
  [ -e "$script" ] || continue
  echo "== $script"
  if ! bash "$script" "$build"; then
    echo "bench: $script failed" >&2
    failed=1
  fi
done
exit $failed
