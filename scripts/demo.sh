#!/usr/bin/env bash
# Builds Kestrafix and runs it on the embedded demo.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake -S . -B build -DKX_BUILD_TESTS=OFF -DKX_BUILD_BENCH=OFF >/dev/null
cmake --build build -j "$(nproc)"
if [ -x build/apps/cli/kestrafix ]; then
  build/apps/cli/kestrafix --version
fi
