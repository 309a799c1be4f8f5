#!/usr/bin/env bash
# Builds everything and runs every test: the sanitizer build, the fuzzers for
# a bounded time, then the release build, whose CTest summary closes the run.
# Warnings are errors in every build here.
# VANTRY_QUICK=1 skips the sanitizer build and the fuzzers.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh test
jobs=$(nproc)
export QT_QPA_PLATFORM=offscreen
export LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"

if [ "${VANTRY_QUICK:-0}" != 1 ]; then
  echo "== sanitizer build (ASan + UBSan)"
  cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DVANTRY_WERROR=ON -DVANTRY_TESTS=ON -DVANTRY_SANITIZE=ON -DVANTRY_BENCH=OFF >/dev/null
  cmake --build build-asan -j"$jobs"
  (cd build-asan && ctest --output-on-failure -j2 --label-exclude e2e)

  echo "== fuzzers"
  CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVANTRY_WERROR=ON \
    -DVANTRY_FUZZ=ON -DVANTRY_GUI=OFF >/dev/null
  cmake --build build-fuzz -j"$jobs"
  for f in fuzz_read_vault fuzz_round_trip fuzz_decoder; do
    mkdir -p "build-fuzz/corpus/$f"
    # The store's one line on standard error per rejected file is closed off;
    # the fuzzer's own report still reaches the log.
    build-fuzz/fuzz/$f -max_total_time="${VANTRY_FUZZ_SECONDS:-30}" -print_final_stats=0 -close_fd_mask=2 \
      "build-fuzz/corpus/$f" 2>build-fuzz/$f.log || { tail -50 build-fuzz/$f.log; exit 1; }
    tail -1 build-fuzz/$f.log
  done
fi

echo "== release build and tests"
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DVANTRY_WERROR=ON -DVANTRY_TESTS=ON -DVANTRY_BENCH=ON >/dev/null
cmake --build build -j"$jobs"
cd build && ctest --output-on-failure -j2
