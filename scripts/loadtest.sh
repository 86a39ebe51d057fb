#!/usr/bin/env bash
# Runs the whole suite (already built in ./build or $BUILD_DIR) under load, as CI on a busy
# machine would: stress-ng keeps CPU hogs running on every core the script may use while
# `ctest --parallel 8` runs, RUNS times (default 3). Prints one line per run: passed and
# failed tests, wall time, the load average before and after. Logs: $BUILD_DIR/loadtest/.
# A two-core machine: taskset -c 0,1 bash scripts/loadtest.sh 1
set -euo pipefail
cd "$(dirname "$0")/.."
RUNS=${1:-3}
BUILD_DIR=${BUILD_DIR:-build}
HOGS=${HOGS:-8}
command -v stress-ng >/dev/null || { echo "loadtest: stress-ng is missing (scripts/install-deps.sh installs it)" >&2; exit 1; }
[ -f "$BUILD_DIR/CTestTestfile.cmake" ] || { echo "loadtest: build first (bash scripts/build.sh)" >&2; exit 1; }
LOGS="$BUILD_DIR/loadtest"
mkdir -p "$LOGS"

stress-ng --cpu "$HOGS" --timeout 0 --quiet &
STRESS_PID=$!
trap 'kill "$STRESS_PID" 2>/dev/null || true; wait "$STRESS_PID" 2>/dev/null || true' EXIT
sleep 5 # let the hogs take the cores

echo "loadtest: $RUNS run(s), ctest --parallel 8, stress-ng --cpu $HOGS, cores $(nproc) ($(taskset -pc $$ | sed 's/.*: //'))"
failed_runs=0
for run in $(seq 1 "$RUNS"); do
  log="$LOGS/run-$run.log"
  before=$(cut -d' ' -f1-3 /proc/loadavg)
  started=$SECONDS
  status=0
  ctest --test-dir "$BUILD_DIR" --output-on-failure --parallel 8 --timeout 600 >"$log" 2>&1 || status=$?
  after=$(cut -d' ' -f1-3 /proc/loadavg)
  summary=$(grep -E "tests passed" "$log" || echo "no summary")
  failures=$(sed -n '/The following tests FAILED/,$p' "$log" | grep -E '^\s+[0-9]+ - ' | sed 's/^\s*//' | tr '\n' ';' || true)
  echo "run $run: $summary; $((SECONDS - started)) s; load average before $before, after $after${failures:+; failed: $failures}"
  [ "$status" = 0 ] || failed_runs=$((failed_runs + 1))
done
exit $((failed_runs > 0))
