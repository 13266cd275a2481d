#!/usr/bin/env bash
# Builds Kestrafix and runs it on the embedded demo.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake -S . -B build -DKX_BUILD_TESTS=OFF -DKX_BUILD_BENCH=OFF >/dev/null
cmake --build build -j "$(nproc)"
kx=build/apps/cli/kestrafix
"$kx" --version
# A fresh demo installation: configuration, job database, job folders, message files.
rm -rf build/demo
"$kx" demo build/demo
# shellcheck disable=SC1091
. build/demo/kestrafix.env
cfg=build/demo/torvel.cfg
if { [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; } && [ -x build/apps/host/kestrafix-host ]; then
  # The host finds the add-in through the per-user add-in registry.
  "$kx" register >/dev/null
  exec build/apps/host/kestrafix-host --config "$cfg"
fi
# No window: the same roads on the command line.
last=$("$kx" db sql build/demo/data/jobs.db "select Filename from NcData order by ID desc" | sed -n 2p)
run() { echo; echo "\$ kestrafix $*"; "$kx" "$@"; }
run propose --config "$cfg" --for program
run propose --config "$cfg" --for file
run new-job --config "$cfg" --program-number 99001 --filename DEMO-NEW --type 0 --machine Laser1 \
  --address "Becker GmbH" --order 2024-001 --copy-from "$last"
run replace --config "$cfg" --column Material --like "ST37" --value "ST52" --yes
run files --config "$cfg" DEMO-NEW
echo
echo "Walk-through done: proposed the next keys, created job DEMO-NEW as a copy of $last,"
echo "set Material ST37 to ST52, and listed the new job's files (demo in build/demo)."
