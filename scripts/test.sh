#!/usr/bin/env bash
# Builds Velorin and runs every test twice: a normal build, then a build with
# AddressSanitizer and UndefinedBehaviorSanitizer; then the Windows build of
# everything without Qt, tested under Wine. No display is needed.
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

# Windows: the core, velorin-cli.exe and the Qt-free tests cross-built with
# MinGW-w64 and run under Wine, headless, in a Wine prefix inside build-win.
cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DVELORIN_TESTS=ON
cmake --build build-win -j"$jobs"
scripts/wine-run.sh "$PWD/build-win/wineprefix"  # made once, before tests start Wine side by side
ctest --test-dir build-win --output-on-failure -j"$jobs"
scripts/windows-cli-check.sh build build-win
(cd build-win && cpack -G ZIP)

# libFuzzer targets, VELORIN_FUZZ_SECONDS (default 30) each.
scripts/fuzz.sh
