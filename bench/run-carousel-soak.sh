#!/usr/bin/env bash
# Memory soak of the real client (not run by CTest): a wall of live tiles runs its carousel
# over channels of the local test server (640x360 H.264 and H.265 over RTSP), every tile
# closed and opened anew per tick, as an operator who leaves the wall on would.
#   --tiles 4 (default): the home page's 2x2 wall over six channels of the seeded data; its
#     carousel starts with the home page (CarouselOnStart in config.ini).
#   --tiles 16: the real-time page's 16-cell layout, the group carousel over 24 online
#     channels (a device and a group of them added to the seeded data, the streams' kinds
#     taken in turn from the seeded channels'), started with the pointer.
# The client from $BUILD_DIR/bin starts under an X server, logs in through its window
# (xdotool). Every 5 s one JSON object a line: seconds since the login, the client's
# resident set (VmRSS), its thread count, the streams opened so far (the server's
# stream-address requests, not the keepalives to the same path) and how often the RTSP
# server ended (the test server's output: it starts that server again, but a soak in which
# it ended fails at once, as its tiles played nothing for a while); the resident set swings by tens of MB within a tick (pictures
# and frame pools of the streams being closed and opened are mappings of their own), and the
# report works from each minute's median. At the minutes of --malloc-info (default 10) and at
# the end glibc's malloc_info of the running client, read through gdb, is kept beside them.
# Then the table (bench/carouselreport.py): resident memory at the login, at 10 and 30
# minutes (medians of the samples within a minute) and at the end, the growth from minute 10
# to 30, the slope from minute 30 on in MB an hour with its standard error and what it comes
# to in a week, the streams opened, and the allocator's arenas and free memory at the end;
# --readme also writes it into README.md (section carousel-soak). Above one load per core it
# waits up to 2 minutes, then refuses (BENCH_ALLOW_LOAD=1 measures anyway, marked).
#   bash bench/run-carousel-soak.sh [--readme] [--tiles 4|16] [--minutes 90] [--interval 30]
#                                   [--malloc-info MIN,MIN] [--out DIR] [--compare DIR]...
# --out keeps the samples, the malloc_info snapshots, the run's settings (run.json), the
# client's log and the test server's output in DIR (and a failure's screenshot); a soak that
# fails also keeps its temporary folder and says where; --compare DIR puts the row of a soak
# kept so under this run's.
# SOAK_LABEL names the run in the table.
# SOAK_ALLOCATOR=glibc runs the client with glibc's own allocator setting (a preloaded mallopt
# and malloc_trim that do nothing), for an A/B against the client's. SOAK_HEAPTRACK=FILE attaches
# heaptrack to the client after the login and writes its record to FILE (.zst added).
# The client clamps the interval to at least 30 s. The client and server are built in
# $BUILD_DIR (default build) first; BIN=folder runs another build's instead, and
# BENCH_COMMIT names what it was built from.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

if [ -z "${DISPLAY:-}" ]; then
  exec bash "$root/tests/common/with-xvfb.sh" "-screen 0 1920x1080x24" bash "$0" "$@"
fi

minutes=90 interval=30 tiles=4 out="" malloc_minutes=10
readme=() compare=()
while [ $# -gt 0 ]; do
  case $1 in
    --readme) readme=(--readme); shift ;;
    --tiles) tiles=$2; shift 2 ;;
    --minutes) minutes=$2; shift 2 ;;
    --interval) interval=$2; shift 2 ;;
    --malloc-info) malloc_minutes=$2; shift 2 ;;
    --out) out=$2; shift 2 ;;
    --compare) compare+=(--compare "$2"); shift 2 ;;
    *) echo "unknown argument $1" >&2; exit 2 ;;
  esac
done
case $tiles in
  4|16) ;;
  *) echo "--tiles is 4 or 16" >&2; exit 2 ;;
esac
sample_seconds=5
# The play button of a group row in the real-time page's side panel.
GROUP_PLAY_X=1672

. "$root/bench/common/benchlib.sh"
if [ -z "${BIN:-}" ]; then
  export BUILD_DIR=${BUILD_DIR:-build}
  bench_build ZelkaVSS_Client zelka_test_server
  BIN=$root/$BUILD_DIR/bin
fi
bench_wait_for_quiet

E2E_OUTPUT=$(mktemp -d /tmp/carousel-soak.XXXXXX)
. "$root/tests/e2e/e2e-driver.sh"
e2e_init "$BIN" >/dev/null
keep_output() {
  [ -z "$out" ] || { mkdir -p "$out" && cp "$E2E_OUTPUT"/*.json* "$E2E_OUTPUT"/*.xml "$E2E_OUTPUT"/*.png \
    "$E2E_DIR/client.log" "$E2E_DIR/server.out" "$out/" 2>/dev/null; } || true
}
# A soak that failed keeps its folder: the failure's screenshot named in its message
# (failure.png), the samples, the client's log and the test server's output.
finish() {
  local status=$?
  e2e_cleanup
  keep_output
  if [ "$status" = 0 ]; then
    rm -rf "$E2E_OUTPUT"
  else
    echo "the soak's files are kept in $E2E_OUTPUT${out:+ (and copied to $out)}" >&2
  fi
}
trap finish EXIT
E2E_PATIENCE=60

preload=""
case ${SOAK_ALLOCATOR:-client} in
  client) ;;
  glibc)
    preload="$E2E_OUTPUT/no-mallopt.so"
    printf 'int mallopt(int param, int value) { (void)param; (void)value; return 1; }\nint malloc_trim(unsigned long pad) { (void)pad; return 0; }\n' |
      gcc -shared -fPIC -O2 -x c -o "$preload" - ;;
  *) echo "SOAK_ALLOCATOR is client or glibc" >&2; exit 2 ;;
esac

# 24 online channels of one device gathered in the first group, each stream's kind taken
# in turn from the seeded online channels' (moving pictures, with and without audio).
wall16_data() {
  e2e_seed_data "$1" '
kinds = [c["_Stream"] for c in data["Channels"] if c["Online"] == 1 and c["Enable"] == 1]
device = dict(data["Devices"][0], DeviceID=9, DeviceName="轮播NVR", GbDeviceID="34020000001320000009")
data["Devices"].append(device)
ids = list(range(9001, 9025))
for n, channel_id in enumerate(ids):
    data["Channels"].append(dict(channel(101), ChannelID=channel_id, ParentDeviceID=9, Name="轮播-%d" % (n + 1),
                                 Online=1, Enable=1, Parental=0, FavoritesChannel=0,
                                 GBChannelID="340200000013100%05d" % channel_id, SnapUrl="",
                                 _Stream=kinds[n % len(kinds)]))
data["Groups"].insert(0, {"ID": 9, "Name": "轮播", "Channels": ids})
'
}

# Streams opened: the stream-address requests, without the keepalives the tiles send for
# their open streams to the same path ("type=keepalive" in the query).
streams() {
  e2e_server_log | grep '^GET /api/v1/devices/channelstream?' | grep -Evc '[?&]type=keepalive(&|$)' || true
}
if [ "$tiles" = 4 ]; then
  # Six online channels of the seeded data: four tiles, so each tick moves on by four.
  e2e_start_server >/dev/null
  e2e_write_config "Username=admin
[Other]
CarouselOnStart=true
CarouselList=101, 102, 103, 104, 106, 401
CarouselInterval=$interval
"
  LD_PRELOAD=$preload e2e_start_client >/dev/null
  e2e_log_in >/dev/null
  wall="six channels on the home page's 2x2 wall"
else
  wall16_data "$E2E_OUTPUT/wall16.json"
  e2e_start_server --data "$E2E_OUTPUT/wall16.json" >/dev/null
  e2e_write_config "Username=admin
[Other]
CarouselInterval=$interval
"
  LD_PRELOAD=$preload e2e_start_client >/dev/null
  e2e_log_in >/dev/null
  e2e_open_page "$MENU_REALTIME"
  e2e_wait_still strip "the page's button strip at rest" 0 913 700 32 >/dev/null
  e2e_click "$(layout_button_x 4)" "$STRIP_Y"
  sleep 1
  # shellcheck disable=SC2086
  e2e_click $PANEL_GROUP_TAB
  e2e_wait_log '^GET /api/v1/labelchannel/info\?$'
  sleep 1.5
  before=$(streams)
  e2e_click $GROUP_PLAY_X "$(panel_row_y 0)"
  sixteen_opened() { [ "$(streams)" -ge $((before + 16)) ]; }
  e2e_until "16 streams opened by the group carousel" sixteen_opened
  wall="24 channels on the real-time page's 16-cell layout (group carousel)"
fi

pid=$E2E_CLIENT_PID
heaptrack_pid=""
if [ -n "${SOAK_HEAPTRACK:-}" ]; then
  heaptrack -o "$SOAK_HEAPTRACK" -p "$pid" >"$E2E_OUTPUT/heaptrack.log" 2>&1 &
  heaptrack_pid=$!
fi

# How often the test server's RTSP server ended (GStreamer's faults end it; the test server
# starts it again on its port and says both in its output).
RTSP_END='^rtsp server: the RTSP test server ended'
rtsp_ends() { grep -c "$RTSP_END" "$E2E_DIR/server.out" || true; }
# A wall whose RTSP server ended played nothing until its tiles reconnected, while the
# requests for stream addresses went on: its memory is no soak figure.
check_rtsp_server() {
  local ends
  ends=$(rtsp_ends)
  [ "$ends" = 0 ] || e2e_fail "the RTSP test server ended during the soak (ends: $ends; the tiles played nothing until it was back): $(grep -m1 "$RTSP_END" "$E2E_DIR/server.out")"
}

# One sample line at T seconds, STREAMS opened so far.
sample() {
  local t=$1 streams=$2
  kill -0 "$pid" 2>/dev/null || e2e_fail "the client ended during the soak"
  awk -v t="$t" -v streams="$streams" -v ends="$(rtsp_ends)" '
    /^VmRSS:/ { rss = $2 } /^Threads:/ { threads = $2 }
    END { printf "{\"t\": %d, \"rss_mb\": %.1f, \"threads\": %d, \"streams\": %d, \"rtsp_ends\": %d}\n",
                 t, rss / 1024, threads, streams, ends }
  ' "/proc/$pid/status"
}

# glibc's account of the client's heaps (malloc_info's XML) into FILE, called in the running
# client through gdb on a thread that is not inside the allocator (mallocinfo_gdb.py says why);
# when every thread is, it tries again a moment later. A failure is noted, not fatal: the
# samples are the soak's figures.
malloc_info() {
  local file=$1 attempt
  for attempt in 1 2 3 4 5 6 7 8 9 10; do
    MALLOC_INFO_FILE=$file timeout 120 gdb -p "$pid" -batch -nx -x "$root/bench/common/mallocinfo_gdb.py" \
      >"$E2E_OUTPUT/gdb.log" 2>&1 && return 0
    grep -q "every thread is inside the allocator" "$E2E_OUTPUT/gdb.log" || break
    sleep 0.5
  done
  echo "malloc_info into $file failed (attempt $attempt): $(tail -n 3 "$E2E_OUTPUT/gdb.log")" >&2
}
wants_malloc_info() { [[ ",$malloc_minutes," == *",$1,"* ]]; }

results="$E2E_OUTPUT/samples.jsonl"
load_before=$bench_load
echo "{\"start\": \"$(date -u +%FT%TZ)\", \"commit\": \"${BENCH_COMMIT:-$(git -C "$root" rev-parse --short HEAD)}\"," \
     "\"load_average\": $load_before, \"cores\": $(nproc), \"interval_s\": $interval, \"minutes\": $minutes," \
     "\"tiles\": $tiles, \"allocator\": \"${SOAK_ALLOCATOR:-client}\"}"
start=$SECONDS
: >"$results"
# A client that no longer opens streams (its GUI thread stuck) would hold its memory level
# and pass: five intervals without a new stream end the soak.
last_streams=-1 last_change=$SECONDS
for ((t = 0; t <= minutes * 60; t += sample_seconds)); do
  while [ $((SECONDS - start)) -lt "$t" ]; do sleep 1; done
  now_streams=$(streams)
  sample $((SECONDS - start)) "$now_streams" | tee -a "$results"
  check_rtsp_server
  if [ "$now_streams" != "$last_streams" ]; then
    last_streams=$now_streams last_change=$SECONDS
  elif [ $((SECONDS - last_change)) -gt $((5 * interval)) ]; then
    e2e_fail "the carousel stopped: no stream opened for $((SECONDS - last_change)) s (at $now_streams)"
  fi
  if [ $((t % 60)) = 0 ] && wants_malloc_info $((t / 60)) && [ "$t" -lt $((minutes * 60)) ]; then
    malloc_info "$E2E_OUTPUT/malloc-info-$((t / 60)).xml"
  fi
done
malloc_info "$E2E_OUTPUT/malloc-info-end.xml"
check_rtsp_server
load_after=$(cut -d' ' -f1 /proc/loadavg)
echo "{\"end\": \"$(date -u +%FT%TZ)\", \"load_average\": $load_after}"
if grep -Eq 'TypeError|ReferenceError|Unable to assign' "$E2E_DIR/client.log"; then
  echo "QML errors in the client's output:" >&2
  grep -E 'TypeError|ReferenceError|Unable to assign' "$E2E_DIR/client.log" | head -n 5 >&2
fi
e2e_cleanup
if [ -n "$heaptrack_pid" ]; then wait "$heaptrack_pid" || true; fi
echo
shortened=""
if [ "$minutes" -lt 90 ]; then shortened="$minutes minutes instead of 90"; fi
if [ "$interval" != 30 ]; then shortened+="${shortened:+; }an interval of $interval s instead of 30"; fi
commit=()
if [ -n "${BENCH_COMMIT:-}" ]; then commit=(--commit "$BENCH_COMMIT"); fi
label=${SOAK_LABEL:-"$tiles tiles, $([ "${SOAK_ALLOCATOR:-client}" = glibc ] && echo "glibc's own allocator setting" || echo "the client's allocator setting")"}
/usr/bin/python3 - "$E2E_OUTPUT/run.json" "$label" "${BENCH_COMMIT:-$(git -C "$root" rev-parse --short HEAD)}" \
    "$load_before" "$load_after" <<'PY'
import datetime, json, sys
path, label, commit, before, after = sys.argv[1:]
json.dump({"label": label, "commit": commit, "load_before": float(before), "load_after": float(after),
           "date": datetime.date.today().isoformat()}, open(path, "w"))
PY
keep_output
/usr/bin/python3 "$root/bench/carouselreport.py" --root "$root" --interval "$interval" --wall "$wall" \
    --label "$label" "${compare[@]}" \
    --allocator "${SOAK_ALLOCATOR:-client}" --malloc-info "$E2E_OUTPUT/malloc-info-end.xml" \
    --load-before "$load_before" --load-after "$load_after" --shortened "$shortened" \
    "${commit[@]}" "${readme[@]}" "$results"
