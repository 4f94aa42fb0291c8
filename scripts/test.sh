#!/usr/bin/env bash
# Installs what is needed, builds, and runs every test (CTest), then builds the
# core library and its tests again with AddressSanitizer and UBSan and runs them.
# Both builds treat a compiler warning as an error.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
bash scripts/install-deps.sh
jobs="$(nproc)"

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DWOBBIN_WERROR=ON
cmake --build build -j "$jobs"
(cd build && ctest --output-on-failure -j "$jobs")

cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug \
      -DWOBBIN_CORE_ONLY=ON -DWOBBIN_SANITIZE=ON -DWOBBIN_BENCH=OFF -DWOBBIN_WERROR=ON
cmake --build build-asan -j "$jobs"
(cd build-asan && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
    ctest --output-on-failure -j "$jobs")
