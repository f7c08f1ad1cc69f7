#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: unit, station (virtual time),
# GUI (Qt offscreen), end to end (Xvfb); then the sanitizer build with the fuzz targets
# and the fault soak.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh

jobs=$(nproc)
bash scripts/build.sh
(cd build && ctest --output-on-failure -j"$jobs" -LE 'sanitized')

# Sanitized build: the decoders and the whole station under ASan and UBSan.
CC=clang CXX=clang++ cmake -S . -B build-sanitize -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DSTATION_SANITIZE=ON -DSTATION_FUZZ=ON -DSTATION_WITH_QT=OFF -DSTATION_BENCH=OFF >/dev/null
cmake --build build-sanitize
(cd build-sanitize && ctest --output-on-failure -j"$jobs" -L 'sanitized')
