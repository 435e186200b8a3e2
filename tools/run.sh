#!/usr/bin/env bash
# Installs what is missing, builds VEV and starts it on the example survey.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/deps.sh
cmake --preset default >/dev/null
cmake --build --preset default --target vev vev-tally
exec build/default/src/app/vev examples/満足度調査.dat "$@"
