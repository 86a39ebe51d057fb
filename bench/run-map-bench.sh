#!/usr/bin/env bash
# Runs the map pin benchmark three times on a virtual X display (OpenGL through Mesa)
# against the local test server as a process of its own, serving DEVICES devices of
# CHANNELS channels (tests/server/make-site.py) and, first in the device list, one device
# of LOCATED channels, all on line with a position (bench/mappins/make-map-site.py). Each
# run logs in, shows the map page and has its side panel report a click on that device;
# it prints its JSON, then the table (bench/mapreport.py).
#   bash bench/run-map-bench.sh [--readme] [DEVICES] [CHANNELS] [LOCATED]   (default 200 x 50, 1000)
# --readme also writes the table into README.md. Above one load per core it waits up to
# 2 minutes, then refuses (BENCH_ALLOW_LOAD=1 measures anyway, marked). BEFORE=<git revision>
# measures the interface files of that revision and then this tree's, both read from files
# (not the compiled module) so that they compare alike, and puts both in the table.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
readme=()
if [ "${1:-}" = --readme ]; then readme=(--readme); shift; fi
devices=${1:-200}
channels=${2:-50}
located=${3:-1000}
. "$root/bench/common/benchlib.sh"
bench_build zelka_mappins_bench zelka_test_server
bin="$root/${BUILD_DIR:-build-bench}/bin"
bench_enter_workdir
/usr/bin/python3 "$root/bench/mappins/make-map-site.py" "$devices" "$channels" "$located" site.json >/dev/null

# Each version to measure: its name and the QML root it runs (empty: the compiled module).
versions=("this tree|")
if [ -n "${BEFORE:-}" ]; then
  mkdir before && git -C "$root" archive "$BEFORE" qml | tar -x -C before
  versions=("before ($BEFORE)|$workdir/before/qml" "after (this tree)|$root/qml")
fi

bench_start_server "$bin" site.json

run() {
  local qml_args=()
  [ -z "$1" ] || qml_args=(--qml-root "$1")
  xvfb-run -a -s "-screen 0 1920x1080x24" env QT_QPA_PLATFORM=xcb "$bin/zelka_mappins_bench" \
      --host 127.0.0.1 --port "$http_port" --user "$user" --password "$password" "${qml_args[@]}" \
      2>"$workdir/bench.err" |
    grep '^{' || { echo "run failed:" >&2; tail -n 5 "$workdir/bench.err" >&2; }
}

# One file of runs per version, each run with the load average read before it.
report_args=()
for number in "${!versions[@]}"; do
  version=${versions[$number]}
  : >"runs-$number.json"
  for _ in 1 2 3; do
    bench_wait_for_quiet
    run "${version#*|}" | /usr/bin/python3 -c '
import json, sys
for line in sys.stdin:
    print(json.dumps({**json.loads(line), "load_before": float(sys.argv[1])}, ensure_ascii=False))
' "$bench_load" | tee -a "runs-$number.json"
  done
  report_args+=("${version%%|*}" "runs-$number.json")
done
/usr/bin/python3 "$root/bench/mapreport.py" --root "$root" --site "$devices x $channels + $located" \
    --load-after "$(cut -d' ' -f1 /proc/loadavg)" "${readme[@]}" "${report_args[@]}"
