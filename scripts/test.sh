#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: a normal build, its .deb packages
# installed into a temp root and run from there, and an AddressSanitizer +
# UndefinedBehaviorSanitizer build. CTest prints the summaries. Then every fuzz target runs
# for a few seconds (KX_FUZZ_SECONDS, default 3) on its corpus.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
jobs=$(nproc)
werror=OFF
if [ "${CI:-}" = "true" ]; then
  werror=ON
  export KX_PG_TESTS_REQUIRED=1  # setup.sh installed the server: its tests must run
fi

run_build() {  # dir, extra cmake args...
  local dir=$1; shift
  cmake -S . -B "$dir" -DKX_WERROR=$werror -DKX_BUILD_BENCH=OFF "$@" >/dev/null
  cmake --build "$dir" -j "$jobs"
  (cd "$dir" && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j "$jobs")
}

run_build build -DCMAKE_INSTALL_PREFIX=/usr
bash scripts/package-test.sh build
ASAN_OPTIONS=detect_leaks=0 run_build build-asan -DKX_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug
KX_WERROR=$werror KX_FUZZ_BUILD=build-fuzz bash fuzz/run.sh "${KX_FUZZ_SECONDS:-3}"
