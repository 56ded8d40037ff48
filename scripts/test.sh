#!/usr/bin/env bash
# Builds Velorin and runs every test twice: a normal build, then a build with
# AddressSanitizer and UndefinedBehaviorSanitizer. No display is needed.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh test
export QT_QPA_PLATFORM=offscreen
jobs=$(nproc)

cmake -S . -B build -DVELORIN_TESTS=ON
cmake --build build -j"$jobs"
ctest --test-dir build --output-on-failure -j"$jobs"

cmake -S . -B build-asan -DVELORIN_SANITIZE=ON -DVELORIN_TESTS=ON -DCMAKE_BUILD_TYPE=Debug
cmake --build build-asan -j"$jobs"
ctest --test-dir build-asan --output-on-failure -j"$jobs"

# libFuzzer targets, VELORIN_FUZZ_SECONDS (default 60) each.
scripts/fuzz.sh
