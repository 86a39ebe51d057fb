#!/usr/bin/env bash
# Builds the player benchmark (optimised, no sanitizer) and prints its JSON report.
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR=${BUILD_DIR:-build-bench}
cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZELKA_BUILD_TESTS=ON -DZELKA_BUILD_BENCH=ON \
    >/dev/null
cmake --build "$BUILD_DIR" --target zelka_player_bench >/dev/null
exec "$BUILD_DIR/bin/zelka_player_bench"
