#!/usr/bin/env bash
# Builds the real-time view page benchmark (optimised, no sanitizer) and runs it on a
# virtual X display (OpenGL through Mesa) against the local test server as a process of
# its own, whose generated data holds 144 online channels on one shared 640x360 25 fps
# H.264 stream (one encoder, not 144). Scenarios, each in a process of its own: the page
# without streams, then 1, 15 (4x4), 16, 64 and 144 tiles of a group carousel; then tiles
# taken out of sight while they play: 144 tiles with the layout switched to 1 cell, a tile
# maximised over 16, the page hidden with 16 tiles. Each scenario runs three times; one
# JSON object per scenario on standard output, its figures the medians of the three runs.
# The machine's load average comes first, and last the tables (bench/pagereport.py).
#   bash bench/run-page-bench.sh [--readme] [SECONDS] [SCENARIO...]   measuring time per
#   scenario (default 10); scenarios by name (default all): empty 1 15 16 64 144 switch
#   maximise page. --readme writes the tables into README.md.
# Above one load per core it waits up to 2 minutes before each run, then refuses
# (BENCH_ALLOW_LOAD=1 measures anyway, and the tables say so).
# BENCH_RUNS="1" runs each scenario once (a look, not a figure).
# PAGE_BENCH names another benchmark binary (one kept from an earlier commit, for a
# before-and-after comparison on the same server and machine).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
readme=()
if [ "${1:-}" = --readme ]; then readme=(--readme); shift; fi
all_scenarios="empty 1 15 16 64 144 switch maximise page"
seconds=${1:-10}
shift || true
scenarios=${*:-$all_scenarios}
runs=${BENCH_RUNS:-1 2 3}
. "$root/bench/common/benchlib.sh"
bench_build zelka_page_bench zelka_test_server
bin="$root/${BUILD_DIR:-build-bench}/bin"
bench_wait_for_quiet
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

bench_start_server "$bin" data.json
[ -n "$rtsp_port" ] || { echo "the test server serves no RTSP" >&2; exit 1; }

run_once() {
  xvfb-run -a -s "-screen 0 1920x1080x24" env QT_QPA_PLATFORM=xcb "${PAGE_BENCH:-$bin/zelka_page_bench}" \
      --host 127.0.0.1 --port "$http_port" --user "$user" --password "$password" \
      --layout-file "$workdir/layouts.json" --stream-url "rtsp://127.0.0.1:$rtsp_port/live/h264" \
      --first-channel 9001 --seconds "$seconds" "$@" 2>"$workdir/bench.err" | grep '^{' ||
    { echo "scenario $* failed:" >&2; tail -n 5 "$workdir/bench.err" >&2; }
}

# Every run of scenario NAME, its name and the load average before it added, goes to
# runs.jsonl; then one object, every number the median of the runs' values.
run() {
  local name=$1
  shift
  : >"$workdir/runs-$name.jsonl"
  for _ in $runs; do
    bench_wait_for_quiet
    run_once "$@" | sed "s/^{/{\"name\": \"$name\", \"load_average\": $bench_load, /" >>"$workdir/runs-$name.jsonl"
  done
  cat "$workdir/runs-$name.jsonl" >>"$workdir/runs.jsonl"
  /usr/bin/python3 "$root/bench/common/benchreport.py" medians "$workdir/runs-$name.jsonl"
}

echo "{\"load_average\": \"$(cut -d' ' -f1-3 /proc/loadavg)\", \"cores\": $(nproc)}"
: >"$workdir/runs.jsonl"
for scenario in $scenarios; do
  case $scenario in
    empty) run empty --scenario empty ;;
    1) run 1 --scenario play --layout 0 --tiles 1 ;;
    15) run 15 --scenario play --layout 1 --tiles 15 ;;
    16) run 16 --scenario play --layout 2 --tiles 16 ;;
    64) run 64 --scenario play --layout 3 --tiles 64 ;;
    144) run 144 --scenario play --layout 4 --tiles 144 ;;
    switch) run switch --scenario play --layout 4 --tiles 144 --hide layout:0 ;;
    maximise) run maximise --scenario play --layout 2 --tiles 16 --hide maximise ;;
    page) run page --scenario play --layout 2 --tiles 16 --hide page ;;
    *) echo "unknown scenario $scenario" >&2 ;;
  esac
done
load_after=$(cut -d' ' -f1 /proc/loadavg)
echo "{\"load_average_after\": \"$(cut -d' ' -f1-3 /proc/loadavg)\"}"
echo
# Where this run departs from the full setting, for the tables to say.
shortened=""
shorten() { shortened+="${shortened:+; }$1"; }
run_count=$(wc -w <<<"$runs")
if [ "$run_count" -lt 3 ]; then shorten "$run_count of the 3 runs per scenario"; fi
if awk -v s="$seconds" 'BEGIN { exit !(s < 10) }'; then shorten "$seconds s per scenario instead of 10"; fi
if [ "$scenarios" != "$all_scenarios" ]; then shorten "only the scenarios $scenarios"; fi
if [ -n "${PAGE_BENCH:-}" ]; then shorten "the benchmark program $PAGE_BENCH"; fi
/usr/bin/python3 "$root/bench/pagereport.py" --root "$root" --seconds "$seconds" --load-after "$load_after" \
    --shortened "$shortened" "${readme[@]}" "$workdir/runs.jsonl"
