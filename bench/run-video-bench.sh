#!/usr/bin/env bash
# Builds the video item benchmark (optimised, no sanitizer) and runs it three times
# (bench/videobench.py): every scenario in a process of its own on a virtual X
# display (OpenGL through Mesa), the ffmpeg and library baselines in every run,
# medians with their spread and the load average beside them. Refuses to report
# when the load average is above the number of cores (BENCH_ALLOW_LOAD=1 reports
# anyway, marked as taken above the load limit).
#   bash bench/run-video-bench.sh            tables and JSON on standard output
#   bash bench/run-video-bench.sh --readme   also writes the tables into README.md
# Options after the script name go to videobench.py (--runs, --seconds, --only).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
. "$root/bench/common/benchlib.sh"
bench_build zelka_video_bench
bench="$root/${BUILD_DIR:-build-bench}/bin/zelka_video_bench"
bench_enter_workdir
/usr/bin/python3 "$root/bench/videobench.py" --bench "$bench" --root "$root" "$@"
