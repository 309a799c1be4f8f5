#!/usr/bin/env bash
# Builds Vantry (Release, as the closing build of scripts/test.sh) and starts
# it from its own folder, build/bin.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh run
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DVANTRY_WERROR=ON -DVANTRY_TESTS=OFF -DVANTRY_BENCH=OFF >/dev/null
cmake --build build -j"$(nproc)" --target Vantry Quenta
cd build/bin
exec ./Vantry
