#!/usr/bin/env bash
# Installs, builds and runs every test; prints CTest's summary.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh
BUILD_DIR=${BUILD_DIR:-build}
cd "$BUILD_DIR"
ctest --output-on-failure --parallel "$(nproc)" --timeout 600
