#!/usr/bin/env bash
# Builds the real-time view page benchmark (optimised, no sanitizer) and runs it once on a
# virtual X display (OpenGL through Mesa) against the local test server as a process of
# its own, whose generated data holds 144 online channels on one shared 640x360 25 fps
# H.264 stream (one encoder, not 144). Scenarios, each in a process of its own: the page
# without streams, then 1, 15 (4x4), 16, 64 and 144 tiles of a group carousel; then tiles
# taken out of sight while they play: 144 tiles with the layout switched to 1 cell, a tile
# maximised over 16, the page hidden with 16 tiles. Each scenario runs three times; one
# JSON object per scenario on standard output, its figures the medians of the three runs.
# The machine's load average comes first; above one per core the figures would measure
# the others' work, and the script refuses to run.
#   bash bench/run-page-bench.sh [SECONDS] [SCENARIO...]   measuring time per scenario
#   (default 10); scenarios by name (default all): empty 1 15 16 64 144 switch maximise page
# BENCH_RUNS="1" runs each scenario once (a look, not a figure).
# PAGE_BENCH names another benchmark binary (one kept from an earlier commit, for a
# before-and-after comparison on the same server and machine).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
BUILD_DIR=${BUILD_DIR:-build-bench}
seconds=${1:-10}
shift || true
scenarios=${*:-empty 1 15 16 64 144 switch maximise page}
load=$(cut -d' ' -f1 /proc/loadavg)
cores=$(nproc)
if /usr/bin/python3 -c "import sys; sys.exit(0 if float(sys.argv[1]) > int(sys.argv[2]) else 1)" "$load" "$cores"; then
  echo "load average $load above $cores cores: the figures would measure other work; not run" >&2
  exit 2
fi
cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZELKA_BUILD_TESTS=ON -DZELKA_BUILD_BENCH=ON \
    ${CMAKE_ARGS:-} >/dev/null
cmake --build "$BUILD_DIR" --parallel "${JOBS:-3}" --target zelka_page_bench zelka_test_server >/dev/null
bin="$root/$BUILD_DIR/bin"
. "$root/bench/common/benchlib.sh"
bench_enter_workdir

# The seeded data and 144 online channels of one device, gathered in group 9.
/usr/bin/python3 - "$root/tests/server/seed.json" data.json layouts.json <<'PY'
import json, sys
data = json.load(open(sys.argv[1], encoding="utf-8"))
data["Devices"].append(dict(data["Devices"][0], DeviceID=9, DeviceName="bench", GbDeviceID="34020000001320000009"))
ids = list(range(9001, 9145))
for channel_id in ids:
    data["Channels"].append(dict(data["Channels"][0], ChannelID=channel_id, ParentDeviceID=9, Name=str(channel_id),
                                 Online=1, Parental=0, FavoritesChannel=0, SnapUrl="", _Stream="h264",
                                 GBChannelID="340200000013100%05d" % channel_id))
data["Groups"].insert(0, {"ID": 9, "Name": "bench", "Channels": ids})
json.dump(data, open(sys.argv[2], "w", encoding="utf-8"), ensure_ascii=False)
def layout(count, side):
    return {"name": str(count), "count": count, "rows": side, "columns": side, "average": True}
json.dump([layout(1, 1), layout(15, 4), layout(16, 4), layout(64, 8), layout(144, 12)], open(sys.argv[3], "w"))
PY

exec {server_out}< <(exec "$bin/zelka_test_server" --data data.json)
server_pid=$!
http_port="" rtsp_port=""
while IFS= read -r -t 120 -u "$server_out" line; do
  case $line in
    http\ *) http_port=${line##*:} ;;
    rtsp\ *) rtsp_port=${line##*:} ;;
    user\ *) user=${line#user } ;;
    password\ *) password=${line#password }; break ;;
  esac
done
[ -n "$http_port" ] && [ -n "$rtsp_port" ] || { echo "the test server did not start" >&2; exit 1; }

run_once() {
  xvfb-run -a -s "-screen 0 1920x1080x24" env QT_QPA_PLATFORM=xcb "${PAGE_BENCH:-$bin/zelka_page_bench}" \
      --host 127.0.0.1 --port "$http_port" --user "$user" --password "$password" \
      --layout-file "$workdir/layouts.json" --stream-url "rtsp://127.0.0.1:$rtsp_port/live/h264" \
      --first-channel 9001 --seconds "$seconds" "$@" 2>"$workdir/bench.err" | grep '^{' ||
    { echo "scenario $* failed:" >&2; tail -n 5 "$workdir/bench.err" >&2; }
}

# Three runs, one object: every number the median of its three values.
run() {
  for _ in ${BENCH_RUNS:-1 2 3}; do run_once "$@"; done | /usr/bin/python3 -c '
import json, statistics, sys
runs = [json.loads(line) for line in sys.stdin if line.strip()]
def merge(values):
    if all(isinstance(v, dict) for v in values):
        return {k: merge([v[k] for v in values if k in v]) for k in values[0]}
    if all(isinstance(v, (int, float)) and not isinstance(v, bool) for v in values):
        return round(statistics.median(values), 3)
    return values[0]
if runs:
    merged = merge(runs)
    merged["runs"] = len(runs)
    print(json.dumps(merged, ensure_ascii=False))
'
}

echo "{\"load_average\": \"$(cut -d' ' -f1-3 /proc/loadavg)\", \"cores\": $cores}"
for scenario in $scenarios; do
  case $scenario in
    empty) run --scenario empty ;;
    1) run --scenario play --layout 0 --tiles 1 ;;
    15) run --scenario play --layout 1 --tiles 15 ;;
    16) run --scenario play --layout 2 --tiles 16 ;;
    64) run --scenario play --layout 3 --tiles 64 ;;
    144) run --scenario play --layout 4 --tiles 144 ;;
    switch) run --scenario play --layout 4 --tiles 144 --hide layout:0 ;;
    maximise) run --scenario play --layout 2 --tiles 16 --hide maximise ;;
    page) run --scenario play --layout 2 --tiles 16 --hide page ;;
    *) echo "unknown scenario $scenario" >&2 ;;
  esac
done
echo "{\"load_average_after\": \"$(cut -d' ' -f1-3 /proc/loadavg)\"}"
