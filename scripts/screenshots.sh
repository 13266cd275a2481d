#!/usr/bin/env bash
# Renders the pictures of docs/screenshots from a build (default: build): the host window on
# a fresh demo, and the dialogs as their look tests show them.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
out=$PWD/docs/screenshots
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
export QT_QPA_PLATFORM=offscreen XDG_CONFIG_HOME=$tmp/config LANG=C.UTF-8 LANGUAGE=
"$build/apps/cli/kestrafix" demo "$tmp/demo" --jobs 120 >/dev/null
"$build/apps/cli/kestrafix" register --library "$build/src/addin/libkestrafix.so" >/dev/null
"$build/apps/host/kestrafix-host" --config "$tmp/demo/torvel.cfg" --screenshot "$out/host-window.png"
KX_SCREENSHOT_DIR=$out "$build/tests/gui/kx_gui_tests" --gtest_filter='*Look*' >/dev/null
echo "screenshots: written to $out"
