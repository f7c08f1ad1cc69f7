#!/usr/bin/env bash
# Installs what is missing, builds the station, and starts it on the built-in simulated
# network. Extra arguments go to --simulate (a scenario file of the simulator).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build --target remikont-station tranzit-sim
exec build/src/remikont-station --simulate "$@"
