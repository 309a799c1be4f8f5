#!/usr/bin/env bash
# Makes the portable folder dist/Vantry/ and its archive
# dist/Vantry-<version>-linux-x86_64.tar.gz from a release build, through
# CMake's install rules and CPack (installs the Debian packages it needs).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh portable
build=build-portable
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DVANTRY_WERROR=ON -DVANTRY_TESTS=OFF \
  -DVANTRY_BENCH=OFF -DVANTRY_BUNDLE=ON >/dev/null
cmake --build "$build" -j"$(nproc)" --target Vantry Quenta
rm -rf dist/Vantry dist/Vantry-*.tar.gz
mkdir -p dist
cmake --install "$build" --prefix dist/Vantry --strip >/dev/null
(cd "$build" && cpack -B "$PWD/../dist" >/dev/null)
rm -rf dist/_CPack_Packages
echo "dist/Vantry/ $(du -sh dist/Vantry | cut -f1)"
ls -l dist/*.tar.gz
