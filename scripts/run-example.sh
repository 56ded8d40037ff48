#!/usr/bin/env bash
# Builds Velorin and starts it in examples/, where velorin.ini and a sample
# image lie; logfile.txt lands there too.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh run
cmake -S . -B build -DVELORIN_BENCH=OFF -DVELORIN_TESTS=OFF
cmake --build build -j"$(nproc)" --target velorin
cd examples
exec ../build/velorin
