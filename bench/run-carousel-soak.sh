#!/usr/bin/env bash
# Memory soak of the real client (not run by CTest): the home page's 2x2 wall runs its
# carousel over six channels of the local test server (640x360 H.264 and H.265 over RTSP),
# four streams closed and opened per tick, as an operator who leaves the wall on would.
# The client from $BUILD_DIR/bin starts under an X server, logs in through its window
# (xdotool), and the carousel starts with the home page (CarouselOnStart in config.ini).
# Every 30 s one JSON object a line: seconds since the login, the client's resident set
# (VmRSS), its thread count and the streams opened so far (the server's stream-address
# requests). Then the table (bench/carouselreport.py): resident memory at the login, at
# 10 and 30 minutes (medians of the samples within a minute) and at the end, the growth
# from minute 10 to 30, the trend from minute 10 on, the streams opened;
# --readme also writes it into README.md (section carousel-soak). Above one load per
# core it waits up to 2 minutes, then refuses (BENCH_ALLOW_LOAD=1 measures anyway, marked).
#   bash bench/run-carousel-soak.sh [--readme] [--minutes 30] [--interval 30] [--out FILE]
# The client clamps the interval to at least 30 s. The client and server are built in
# $BUILD_DIR (default build) first; BIN=folder runs another build's instead, and
# BENCH_COMMIT names what it was built from.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1920x1080x24" bash "$0" "$@"
fi

minutes=30 interval=30 out=""
readme=()
while [ $# -gt 0 ]; do
  case $1 in
    --readme) readme=(--readme); shift ;;
    --minutes) minutes=$2; shift 2 ;;
    --interval) interval=$2; shift 2 ;;
    --out) out=$2; shift 2 ;;
    *) echo "unknown argument $1" >&2; exit 2 ;;
  esac
done
# Six online channels of the seeded data: four tiles, so each tick moves on by four.
channels="101, 102, 103, 104, 106, 401"
sample_seconds=30

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
trap 'e2e_cleanup; rm -rf "$E2E_OUTPUT"' EXIT
E2E_PATIENCE=60

e2e_start_server >/dev/null
e2e_write_config "Username=admin
[Other]
CarouselOnStart=true
CarouselList=$channels
CarouselInterval=$interval
"
e2e_start_client >/dev/null
e2e_log_in >/dev/null

pid=$E2E_CLIENT_PID
streams() { e2e_server_log | grep -c '^GET /api/v1/devices/channelstream?' || true; }
sample() {
  local t=$1
  kill -0 "$pid" 2>/dev/null || e2e_fail "the client ended during the soak"
  awk -v t="$t" -v streams="$(streams)" '
    /^VmRSS:/ { rss = $2 } /^Threads:/ { threads = $2 }
    END { printf "{\"t\": %d, \"rss_mb\": %.1f, \"threads\": %d, \"streams\": %d}\n", t, rss / 1024, threads, streams }
  ' "/proc/$pid/status"
}

results="$E2E_OUTPUT/samples.jsonl"
load_before=$bench_load
echo "{\"start\": \"$(date -u +%FT%TZ)\", \"commit\": \"${BENCH_COMMIT:-$(git -C "$root" rev-parse --short HEAD)}\"," \
     "\"load_average\": $load_before, \"cores\": $(nproc), \"interval_s\": $interval, \"minutes\": $minutes}"
start=$SECONDS
: >"$results"
for ((t = 0; t <= minutes * 60; t += sample_seconds)); do
  while [ $((SECONDS - start)) -lt "$t" ]; do sleep 1; done
  sample $((SECONDS - start)) | tee -a "$results"
done
load_after=$(cut -d' ' -f1 /proc/loadavg)
echo "{\"end\": \"$(date -u +%FT%TZ)\", \"load_average\": $load_after}"
if grep -Eq 'TypeError|ReferenceError|Unable to assign' "$E2E_DIR/client.log"; then
  echo "QML errors in the client's output:" >&2
  grep -E 'TypeError|ReferenceError|Unable to assign' "$E2E_DIR/client.log" | head -n 5 >&2
fi
e2e_cleanup
echo
shortened=""
if [ "$minutes" -lt 30 ]; then shortened="$minutes minutes instead of 30"; fi
if [ "$interval" != 30 ]; then shortened+="${shortened:+; }an interval of $interval s instead of 30"; fi
commit=()
if [ -n "${BENCH_COMMIT:-}" ]; then commit=(--commit "$BENCH_COMMIT"); fi
[ -z "$out" ] || cp "$results" "$out"
/usr/bin/python3 "$root/bench/carouselreport.py" --root "$root" --interval "$interval" \
    --load-before "$load_before" --load-after "$load_after" --shortened "$shortened" \
    "${commit[@]}" "${readme[@]}" "$results"
