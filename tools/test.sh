#!/usr/bin/env bash
# Installs what is missing, builds the normal and the sanitizer preset and the fuzz targets, runs
# the fuzzers for a bounded time and every test in both presets (window tests on the offscreen
# platform). The install and package checks run in the normal preset only. Configure's own
# lines are kept quiet; the optional checks it leaves out (and why) still show, on stderr.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/deps.sh
export QT_QPA_PLATFORM=offscreen
# Rebuilds of the same sources in this checkout (a removed build folder, a second run) come from
# the compiler cache; the build sets the ccache settings its precompiled headers need.
launcher=()
if command -v ccache >/dev/null; then
    export CCACHE_BASEDIR="$PWD"
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
if [ -f tools/check_layers.sh ]; then
    bash tools/check_layers.sh
fi
for preset in default asan; do
    cmake --preset "$preset" "${launcher[@]}" >/dev/null
    cmake --build --preset "$preset"
done
if [ -d fuzz ]; then
    cmake --preset fuzz "${launcher[@]}" >/dev/null
    cmake --build --preset fuzz
    bash fuzz/run.sh build/fuzz "${VEV_FUZZ_SECONDS:-20}"
fi
echo "tools/test.sh: built in ${SECONDS} s; the tests follow" >&2
ctest --preset default
ctest --preset asan
