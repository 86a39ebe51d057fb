#!/usr/bin/env bash
# Builds the player benchmark (optimised, no sanitizer), runs it once (each figure is
# itself the median or best of its own repetitions) and prints its JSON report and a table.
# Above one load per core it waits up to 2 minutes, then refuses (BENCH_ALLOW_LOAD=1
# measures anyway, marked).
#   bash bench/run-player-bench.sh            JSON and table on standard output
#   bash bench/run-player-bench.sh --readme   also writes the table into README.md
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
readme=()
[ "${1:-}" = --readme ] && readme=(--readme)
. "$root/bench/common/benchlib.sh"
bench_build zelka_player_bench
bench_wait_for_quiet
load_before=$bench_load
bench_enter_workdir
"$root/${BUILD_DIR:-build-bench}/bin/zelka_player_bench" >report.json
cat report.json
/usr/bin/python3 "$root/bench/playerreport.py" --root "$root" --load-before "$load_before" \
    --load-after "$(cut -d' ' -f1 /proc/loadavg)" "${readme[@]}" report.json
