#!/usr/bin/env bash
# Installs what is missing, builds the normal and the sanitizer preset, runs the fuzzers for a
# bounded time and every test in both presets (window tests on the offscreen platform).
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/deps.sh
export QT_QPA_PLATFORM=offscreen
for preset in default asan; do
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset"
done
if [ -d fuzz ]; then
    cmake --preset fuzz >/dev/null
    cmake --build --preset fuzz
    bash fuzz/run.sh build/fuzz "${VEV_FUZZ_SECONDS:-30}"
fi
ctest --preset default
ctest --preset asan
