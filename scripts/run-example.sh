#!/usr/bin/env bash
# Builds Velorin and starts it on the shipped example image, read at once. It
# runs on a fresh copy in build/beispiel (with velorin.ini; logfile.txt lands
# there too), so saving never changes the example kept in examples/.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh run
cmake -S . -B build -DVELORIN_BENCH=OFF -DVELORIN_TESTS=OFF
cmake --build build -j"$(nproc)" --target velorin
mkdir -p build/beispiel
cp examples/beispiel.fit examples/velorin.ini build/beispiel/
cd build/beispiel
exec ../velorin beispiel.fit
