#!/usr/bin/env bash
# Installs the packages (when missing), configures and builds into ./build.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
BUILD_DIR=${BUILD_DIR:-build}
cmake -S . -B "$BUILD_DIR" -G Ninja ${CMAKE_ARGS:-}
cmake --build "$BUILD_DIR" --parallel "$(nproc)"
