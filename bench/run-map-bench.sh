#!/usr/bin/env bash
# Runs the map pin benchmark three times on a virtual X display (OpenGL through Mesa)
# against the local test server as a process of its own, serving DEVICES devices of
# CHANNELS channels (tests/server/make-site.py) and, first in the device list, one device
# of LOCATED channels, all on line with a position (bench/mappins/make-map-site.py). Each
# run logs in, shows the map page and has its side panel report a click on that device;
# it prints its JSON, then the medians and a markdown table follow.
#   bash bench/run-map-bench.sh [DEVICES] [CHANNELS] [LOCATED]     (default 200 x 50, 1000)
# BUILD_DIR (default build) must hold zelka_mappins_bench and zelka_test_server.
# With a load average above the number of cores it refuses to measure; BENCH_ALLOW_LOAD=1
# measures anyway and marks the medians. BEFORE=<git revision> measures the interface
# files of that revision and then this tree's, both read from files (not the compiled
# module) so that they compare alike, and puts both in the table.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
BUILD_DIR=${BUILD_DIR:-build}
devices=${1:-200}
channels=${2:-50}
located=${3:-1000}
cores=$(nproc)
load=$(cut -d' ' -f1 /proc/loadavg)
load_before=$(cut -d' ' -f1-3 /proc/loadavg)
echo "{\"load_average\": \"$load_before\", \"cores\": $cores}"
over_load=""
if /usr/bin/python3 -c "import sys; sys.exit(0 if float('$load') > $cores else 1)"; then
  if [ "${BENCH_ALLOW_LOAD:-}" != 1 ]; then
    echo "load average $load is above the $cores cores: not measuring (BENCH_ALLOW_LOAD=1 measures anyway, marked)" >&2
    exit 2
  fi
  over_load="load average $load above $cores cores: figures for local comparison only"
fi
cmake --build "$BUILD_DIR" --target zelka_mappins_bench zelka_test_server >/dev/null
bin="$root/$BUILD_DIR/bin"
. "$root/bench/common/benchlib.sh"
bench_enter_workdir
/usr/bin/python3 "$root/bench/mappins/make-map-site.py" "$devices" "$channels" "$located" site.json >/dev/null

# Each version to measure: its name and the QML root it runs (empty: the compiled module).
versions=("this tree|")
if [ -n "${BEFORE:-}" ]; then
  mkdir before && git -C "$root" archive "$BEFORE" qml | tar -x -C before
  versions=("before ($BEFORE)|$workdir/before/qml" "after (this tree)|$root/qml")
fi

exec {server_out}< <(exec "$bin/zelka_test_server" --data site.json)
server_pid=$!
http_port=""
while IFS= read -r -t 120 -u "$server_out" line; do
  case $line in
    http\ *) http_port=${line##*:} ;;
    user\ *) user=${line#user } ;;
    password\ *) password=${line#password }; break ;;
  esac
done
[ -n "$http_port" ] || { echo "the test server did not start" >&2; exit 1; }

run() {
  local qml_args=()
  [ -z "$1" ] || qml_args=(--qml-root "$1")
  xvfb-run -a -s "-screen 0 1920x1080x24" env QT_QPA_PLATFORM=xcb "$bin/zelka_mappins_bench" \
      --host 127.0.0.1 --port "$http_port" --user "$user" --password "$password" "${qml_args[@]}" \
      2>"$workdir/bench.err" |
    grep '^{' || { echo "run failed:" >&2; tail -n 5 "$workdir/bench.err" >&2; }
}

: >medians.json
for version in "${versions[@]}"; do
  name=${version%%|*}
  : >runs.json
  for _ in 1 2 3; do run "${version#*|}" | tee -a runs.json; done
  /usr/bin/python3 - runs.json "$name" "$over_load" "$load_before" "$devices x $channels + $located" <<'PY' | tee -a medians.json
import json, statistics, sys
runs = [json.loads(line) for line in open(sys.argv[1]) if line.strip()]
def median(values):
    first = values[0]
    if isinstance(first, dict):
        return {key: median([v[key] for v in values if key in v]) for key in first}
    if isinstance(first, (bool, list)) or not isinstance(first, (int, float)):
        return first
    return statistics.median(values)
marked = {"over_load": sys.argv[3]} if sys.argv[3] else {}
load_after = " ".join(open("/proc/loadavg").read().split()[:3])
print(json.dumps({"version": sys.argv[2], "site": sys.argv[5], "median_of": len(runs),
                  "load_average_before": sys.argv[4], "load_average_after": load_after, **marked,
                  **(median(runs) if runs else {})}, ensure_ascii=False))
PY
done

# The medians side by side.
/usr/bin/python3 - medians.json <<'PY'
import json, sys
columns = [json.loads(line) for line in open(sys.argv[1]) if line.strip()]
def cell(result, *path):
    value = result
    for key in path:
        value = value.get(key, "-") if isinstance(value, dict) else "-"
    return str(value)
rows = [
    ("pins placed by the click", ("pins",)),
    ("click: handler, ms (GUI-thread CPU)", None),
    ("click: longest gap between frames, ms (goal <= 200)", ("place_pins", "longest_frame_gap_ms")),
    ("idle gap between frames, ms", ("idle_frame_gap_ms",)),
    ("memory added by the click, MB", ("placed_mb",)),
    ("tiles held by closed pins (goal 0)", ("tiles_of_closed_pins",)),
    ("opening one pin: longest gap between frames, ms", ("open_pin_longest_frame_gap_ms",)),
    ("tiles held by closed pins after one was opened and closed", ("tiles_of_closed_pins_after_open_close",)),
]
print()
print("| map pins, %s, median of 3 | %s |" % (columns[0]["site"], " | ".join(c["version"] for c in columns)))
print("|---|" + "---|" * len(columns))
for label, path in rows:
    if path is None:
        values = ["%s (%s)" % (cell(c, "place_pins", "handler_ms"), cell(c, "place_pins", "handler_gui_cpu_ms"))
                  for c in columns]
    else:
        values = [cell(c, *path) for c in columns]
    print("| %s | %s |" % (label, " | ".join(values)))
print()
print("Load average before / after: " + "; ".join("%s: %s / %s%s" % (c["version"], c["load_average_before"],
      c["load_average_after"], " (" + c["over_load"] + ")" if "over_load" in c else "") for c in columns))
PY
