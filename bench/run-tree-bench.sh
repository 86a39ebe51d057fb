#!/usr/bin/env bash
# Runs the device tree benchmark three times on a virtual X display (OpenGL through Mesa)
# against the local test server as a process of its own, serving DEVICES devices of
# CHANNELS channels (tests/server/make-site.py), and prints each run's JSON, the medians
# and a table (bench/treereport.py; its rows are the numbers in the benchmark's JSON). The
# trees are those of the logged-in client: the home tree and four side panels. A run
# without trees gives the cost of the device list itself (TREES="1 0" by default; TREES=1
# runs only the trees).
#   bash bench/run-tree-bench.sh [--readme] [DEVICES] [CHANNELS]   (default 200 x 50)
# --readme writes the table into README.md. BUILD_DIR (default build) is where
# zelka_tree_bench and zelka_test_server are built. Above one load per core it waits up to
# 2 minutes before each run, then refuses (BENCH_ALLOW_LOAD=1 measures anyway, and the
# table says so). BENCH_RUNS="1" runs each kind once (a look, not a figure).
# QML_FROM=<git revision> runs the interface files of that revision, read from files (not
# the compiled module); QML_FROM=files runs the work tree's files the same way, so that the
# two compare alike.
# Then the large cases on the seeded data with a platform device of 2,000 channels, one
# showing its sub-channels, and a group of those channels (bench/devicetree/large-site.py),
# a column of their own: LARGE=0 leaves them out, TREES= runs them alone.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
readme=()
if [ "${1:-}" = --readme ]; then readme=(--readme); shift; fi
devices=${1:-200}
channels=${2:-50}
runs=${BENCH_RUNS:-1 2 3}
kinds=${TREES-1 0}
export BUILD_DIR=${BUILD_DIR:-build}
. "$root/bench/common/benchlib.sh"
bench_build zelka_tree_bench zelka_test_server
bin="$root/$BUILD_DIR/bin"
bench_wait_for_quiet
echo "{\"load_average\": \"$(cut -d' ' -f1-3 /proc/loadavg)\", \"cores\": $(nproc)}"
bench_enter_workdir
/usr/bin/python3 "$root/tests/server/make-site.py" "$devices" "$channels" site.json >/dev/null
qml_args=()
case ${QML_FROM:-} in
  "") ;;
  files) qml_args=(--qml-root "$root/qml") ;;
  *) mkdir src && git -C "$root" archive "$QML_FROM" qml | tar -x -C src && qml_args=(--qml-root "$workdir/src/qml") ;;
esac

bench_start_server "$bin" site.json

run() {
  xvfb-run -a -s "-screen 0 1920x1080x24" env QT_QPA_PLATFORM=xcb "$bin/zelka_tree_bench" \
      --host 127.0.0.1 --port "$http_port" --user "$user" --password "$password" "${qml_args[@]}" "$@" \
      2>"$workdir/bench.err" |
    grep '^{' || { echo "run $* failed:" >&2; tail -n 5 "$workdir/bench.err" >&2; }
}

columns=()
for trees in $kinds; do
  : >"runs-$trees.jsonl"
  for _ in $runs; do
    bench_wait_for_quiet
    run --trees "$trees" | sed "s/^{/{\"load_average\": $bench_load, /" | tee -a "runs-$trees.jsonl"
  done
  /usr/bin/python3 "$root/bench/common/benchreport.py" medians "runs-$trees.jsonl"
  if [ "$trees" = 1 ]; then columns+=("with the trees=runs-1.jsonl"); else columns+=("device list alone=runs-0.jsonl"); fi
done
if [ "${LARGE:-1}" != 0 ]; then
  /usr/bin/python3 "$root/bench/devicetree/large-site.py" large.json
  curl -sf -X POST --data-binary @large.json "http://127.0.0.1:$http_port/__control/data" >/dev/null
  : >runs-large.jsonl
  for _ in $runs; do
    bench_wait_for_quiet
    run --case large | sed "s/^{/{\"load_average\": $bench_load, /" | tee -a runs-large.jsonl
  done
  /usr/bin/python3 "$root/bench/common/benchreport.py" medians runs-large.jsonl
  columns+=("large cases=runs-large.jsonl")
fi
load_after=$(cut -d' ' -f1 /proc/loadavg)
echo

# Where this run departs from the full setting, for the table to say.
shortened=""
shorten() { shortened+="${shortened:+; }$1"; }
run_count=$(wc -w <<<"$runs")
if [ "$run_count" -lt 3 ]; then shorten "$run_count of the 3 runs of each kind"; fi
if [ "$devices x $channels" != "200 x 50" ]; then shorten "a site of $devices x $channels instead of 200 x 50"; fi
if [ "$kinds" != "1 0" ]; then shorten "only the runs TREES=\"$kinds\""; fi
if [ "${LARGE:-1}" = 0 ]; then shorten "without the large cases"; fi
if [ -n "${QML_FROM:-}" ]; then shorten "the interface files of $QML_FROM, read from files"; fi
site="a site of $devices devices x $channels channels, the window 1688x904 under Xvfb"
/usr/bin/python3 "$root/bench/treereport.py" --root "$root" --site "$site" --load-after "$load_after" \
    --shortened "$shortened" "${readme[@]}" "${columns[@]}"
