#!/usr/bin/env bash
# Deletes 144 playing tiles (the video item benchmark's close scenario) with the client's
# allocator settings and with glibc's own, in turns (bench/allocatorbench.py), and prints
# every run and the medians of each setting with the load average before each run. First
# it checks that FFmpeg's parameter-set records still fit under the client's mapping bound
# (zelka_paramset_probe), and stops when they do not: the bound was chosen above them.
#   bash bench/run-allocator-bench.sh [--rounds N] [--items N] [--source live|stalled|stuck]
#                                     [--before BIN] [--threshold KB]...
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
. "$root/bench/common/benchlib.sh"
bench_build zelka_video_bench zelka_paramset_probe
bin="$root/${BUILD_DIR:-build-bench}/bin"
bench_enter_workdir
/usr/bin/python3 "$root/bench/allocatorbench.py" --bench "$bin/zelka_video_bench" --probe "$bin/zelka_paramset_probe" "$@"
