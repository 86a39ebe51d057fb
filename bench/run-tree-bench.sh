#!/usr/bin/env bash
# Runs the device tree benchmark three times on a virtual X display (OpenGL through Mesa)
# against the local test server as a process of its own, serving DEVICES devices of
# CHANNELS channels (tests/server/make-site.py), and prints each run's JSON and then the
# medians. The trees are those of the logged-in client: the home tree and four side
# panels. A run without trees gives the cost of the device list itself (TREES="1 0" by
# default; TREES=1 runs only the trees).
#   bash bench/run-tree-bench.sh [DEVICES] [CHANNELS]     (default 200 x 50)
# BUILD_DIR (default build) must hold zelka_tree_bench and zelka_test_server.
# Then the large cases on the seeded data with a platform device of 2,000 channels, one
# showing its sub-channels, and a group of those channels (bench/devicetree/large-site.py):
# LARGE=0 leaves them out, TREES= runs them alone.
# With a load average above the number of cores it refuses to measure; BENCH_ALLOW_LOAD=1
# measures anyway and marks the medians. QML_FROM=<git revision> runs the interface files
# of that revision, read from files (not the compiled module); QML_FROM=files runs the
# work tree's files the same way, so that the two compare alike.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
BUILD_DIR=${BUILD_DIR:-build}
devices=${1:-200}
channels=${2:-50}
cores=$(nproc)
load=$(cut -d' ' -f1 /proc/loadavg)
echo "{\"load_average\": \"$(cut -d' ' -f1-3 /proc/loadavg)\", \"cores\": $cores}"
over_load=""
if /usr/bin/python3 -c "import sys; sys.exit(0 if float('$load') > $cores else 1)"; then
  if [ "${BENCH_ALLOW_LOAD:-}" != 1 ]; then
    echo "load average $load is above the $cores cores: not measuring (BENCH_ALLOW_LOAD=1 measures anyway, marked)" >&2
    exit 2
  fi
  over_load="load average $load above $cores cores: figures for local comparison only"
fi
cmake --build "$BUILD_DIR" --target zelka_tree_bench zelka_test_server >/dev/null
bin="$root/$BUILD_DIR/bin"
. "$root/bench/common/benchlib.sh"
bench_enter_workdir
/usr/bin/python3 "$root/tests/server/make-site.py" "$devices" "$channels" site.json >/dev/null
qml_args=()
case ${QML_FROM:-} in
  "") ;;
  files) qml_args=(--qml-root "$root/qml") ;;
  *) mkdir src && git -C "$root" archive "$QML_FROM" qml | tar -x -C src && qml_args=(--qml-root "$workdir/src/qml") ;;
esac

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
  xvfb-run -a -s "-screen 0 1920x1080x24" env QT_QPA_PLATFORM=xcb "$bin/zelka_tree_bench" \
      --host 127.0.0.1 --port "$http_port" --user "$user" --password "$password" "${qml_args[@]}" "$@" \
      2>"$workdir/bench.err" |
    grep '^{' || { echo "run $* failed:" >&2; tail -n 5 "$workdir/bench.err" >&2; }
}

# The median of every number over the runs in file $1.
medians() {
  /usr/bin/python3 - "$1" "$over_load" <<'PY'
import json, statistics, sys
runs = [json.loads(line) for line in open(sys.argv[1]) if line.strip()]
def median(values):
    first = values[0]
    if isinstance(first, dict):
        return {key: median([v[key] for v in values if key in v]) for key in first}
    if isinstance(first, (bool, list)) or not isinstance(first, (int, float)):
        return first
    return statistics.median(values)
marked = {"over_load": sys.argv[2]} if sys.argv[2] else {}
print(json.dumps({"median_of": len(runs), **marked, **median(runs)}, ensure_ascii=False))
PY
}

for trees in ${TREES-1 0}; do
  : >"runs-$trees.json"
  for _ in 1 2 3; do run --trees "$trees" | tee -a "runs-$trees.json"; done
  medians "runs-$trees.json"
done

if [ "${LARGE:-1}" != 0 ]; then
  echo "{\"load_average\": \"$(cut -d' ' -f1-3 /proc/loadavg)\", \"cores\": $cores, \"case\": \"large\"}"
  /usr/bin/python3 "$root/bench/devicetree/large-site.py" large.json
  curl -sf -X POST --data-binary @large.json "http://127.0.0.1:$http_port/__control/data" >/dev/null
  : >runs-large.json
  for _ in 1 2 3; do run --case large | tee -a runs-large.json; done
  medians runs-large.json
fi
