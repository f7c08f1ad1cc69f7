#!/usr/bin/env bash
# Installs what is missing, builds, and starts the station on the built-in simulated
# network. Extra arguments go to the station (e.g. a scenario file for --simulate).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
bash scripts/build.sh
exec build/src/remikont-station --simulate "$@"
