#!/usr/bin/env bash
# Builds the video item benchmark (optimised, no sanitizer) and runs it three times
# (bench/videobench.py): every scenario in a process of its own on a virtual X
# display (OpenGL through Mesa), the ffmpeg and library baselines in every run,
# medians with their spread and the load average beside them. Refuses to report
# when the load average is above the number of cores.
#   bash bench/run-video-bench.sh            tables and JSON on standard output
#   bash bench/run-video-bench.sh --readme   also writes the tables into README.md
# Options after the script name go to videobench.py (--runs, --seconds, --only).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
BUILD_DIR=${BUILD_DIR:-build-bench}
cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZELKA_BUILD_TESTS=ON -DZELKA_BUILD_BENCH=ON \
    >/dev/null
cmake --build "$BUILD_DIR" --target zelka_video_bench >/dev/null
bench="$root/$BUILD_DIR/bin/zelka_video_bench"
workdir=$(mktemp -d)
trap 'rm -rf "$workdir"' EXIT
cd "$workdir"
/usr/bin/python3 "$root/bench/videobench.py" --bench "$bench" --root "$root" "$@"
