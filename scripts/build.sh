#!/usr/bin/env bash
# Installs the packages (when missing), configures and builds into ./build (or $BUILD_DIR).
# Usage: scripts/build.sh [target...]   (no target: everything but the benchmarks, which are
# built when named)
# JOBS sets the number of parallel jobs (default: every core); CMAKE_ARGS adds configure options.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
BUILD_DIR=${BUILD_DIR:-build}
JOBS=${JOBS:-$(nproc)}
cmake -S . -B "$BUILD_DIR" -G Ninja ${CMAKE_ARGS:-}
targets=()
for target in "$@"; do targets+=(--target "$target"); done
cmake --build "$BUILD_DIR" --parallel "$JOBS" "${targets[@]}"
