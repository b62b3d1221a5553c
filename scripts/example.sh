#!/usr/bin/env bash
# Builds the library and runs the example program.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release -DQDT_BUILD_TESTS=OFF -DQDT_BUILD_BENCH=OFF >/dev/null
cmake --build build/release --target example -j"$(nproc)"
./build/release/examples/example
