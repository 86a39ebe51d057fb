#!/usr/bin/env bash
# Builds the client and every test with a sanitizer into build-<sanitizer>/ (or $BUILD_DIR)
# and runs the whole suite there; the exit status is CTest's.
# Usage: scripts/sanitize.sh address|thread
# JOBS sets the parallel build jobs and tests (default: every core). Slow (a
# ThreadSanitizer run is several times the plain one): not part of .ci/run.
# Suppressions: tests/common/lsan.supp and tests/common/tsan.supp, passed by CTest.
set -euo pipefail
cd "$(dirname "$0")/.."
SANITIZER=${1:-}
case $SANITIZER in
  address|thread) ;;
  *) echo "usage: $0 address|thread" >&2; exit 2 ;;
esac
export BUILD_DIR=${BUILD_DIR:-build-$SANITIZER}
export JOBS=${JOBS:-$(nproc)}
CMAKE_ARGS="-DZELKA_SANITIZE=$SANITIZER -DZELKA_BUILD_BENCH=OFF ${CMAKE_ARGS:-}" bash scripts/build.sh
cd "$BUILD_DIR"
ctest --output-on-failure --parallel "$JOBS"
