#!/usr/bin/env bash
# Large-site benchmark of the real client (not run by CTest). The local test server serves a
# generated site (DEVICES devices of CHANNELS channels, tests/server/make-site.py) and, for
# comparison, the seeded data; the client from $BUILD_DIR/bin logs in under an X server,
# driven by xdotool as an operator would. Measured per run:
#   login_s      login click to the main window on screen
#   settle_s     login click to the start of the first 3 s in a row below 5 % of a core,
#                on the record page (shown right after the login; nothing plays there)
#   settle_cpu_s CPU time the process used from the login click to that moment
#   rss_mb       resident memory once settled
#   pages        per page (home, video square, real-time, records, alarms, map), with
#                nothing playing: process CPU (% of one core) and frames drawn per second;
#                for the home page also the share of the time spent in runs of frames
#                (frames less than 100 ms apart), to set beside its animations' running time
# under the default graphics back end and under GraphicsBackend=software. One JSON object
# per run, then the medians of the runs as JSON and the tables (summarize.py); --readme
# also writes the tables into README.md. Above one load per core it waits up to 2 minutes
# before each run, then refuses (BENCH_ALLOW_LOAD=1, or SITE_BENCH_IGNORE_LOAD=1, measures
# anyway, and the tables say so).
#   bash bench/site/run-site-bench.sh [--readme] [--runs 3] [--backends "default software"]
#        [--devices 200] [--channels 50] [--idle-seconds 6] [--data "seeded site"] [--no-pages]
#        [--out FILE]
# The client and server are built in $BUILD_DIR (default build) first. BIN=folder runs
# another build's client and server instead, and BENCH_COMMIT names what it was built from.
set -euo pipefail
cd "$(dirname "$0")/../.."
root=$(pwd)

if [ -z "${DISPLAY:-}" ]; then
  exec bash "$root/tests/common/with-xvfb.sh" "-screen 0 1920x1080x24" bash "$0" "$@"
fi

runs=3 backends="default software" devices=200 channels=50 idle_seconds=6 out="" datasets="seeded site" measure_pages=1
readme=()
while [ $# -gt 0 ]; do
  case $1 in
    --readme) readme=(--readme); shift ;;
    --runs) runs=$2; shift 2 ;;
    --backends) backends=$2; shift 2 ;;
    --devices) devices=$2; shift 2 ;;
    --channels) channels=$2; shift 2 ;;
    --idle-seconds) idle_seconds=$2; shift 2 ;;
    --out) out=$2; shift 2 ;;
    --data) datasets=$2; shift 2 ;;
    --no-pages) measure_pages=0; shift ;;
    *) echo "unknown argument $1" >&2; exit 2 ;;
  esac
done

. "$root/bench/common/benchlib.sh"
if [ -n "${SITE_BENCH_IGNORE_LOAD:-}" ]; then export BENCH_ALLOW_LOAD=1; fi
if [ -z "${BIN:-}" ]; then
  export BUILD_DIR=${BUILD_DIR:-build}
  bench_build ZelkaVSS_Client zelka_test_server
  BIN=$root/$BUILD_DIR/bin
fi
bench_wait_for_quiet
for program in ZelkaVSS_Client zelka_test_server; do
  [ -x "$BIN/$program" ] || { echo "no $BIN/$program: build it first (scripts/build.sh)" >&2; exit 2; }
done

workdir=$(mktemp -d /tmp/site-bench.XXXXXX)
server_pid="" client_pid=""
cleanup() {
  [ -n "$client_pid" ] && kill "$client_pid" 2>/dev/null && wait "$client_pid" 2>/dev/null
  [ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null && wait "$server_pid" 2>/dev/null
  rm -rf "$workdir"
}
trap cleanup EXIT

# The driver's window, pointer and key steps and the main window's points.
E2E_OUTPUT=$workdir E2E_DIR=$workdir
. "$root/tests/e2e/e2e-driver.sh"
trap cleanup EXIT
export QT_QPA_PLATFORM=xcb

ticks_per_second=$(getconf CLK_TCK)
uptime_now() { cut -d' ' -f1 /proc/uptime; }
cpu_ticks() { awk '{print $14 + $15}' "/proc/$client_pid/stat"; }
rss_kb() { awk '/^VmRSS/ {print $2}' "/proc/$client_pid/status"; }

# The server on DATA (empty: the seeded data): $server_port, $server_user, $server_password.
start_server() {
  stop_server
  local args=() log="$workdir/server.out"
  [ -n "$1" ] && args=(--data "$1")
  "$BIN/zelka_test_server" "${args[@]}" >"$log" 2>&1 &
  server_pid=$!
  local deadline=$((SECONDS + 120))
  until grep -qs '^password ' "$log"; do
    kill -0 "$server_pid" 2>/dev/null || { echo "the test server ended: $(cat "$log")" >&2; exit 1; }
    [ $SECONDS -lt $deadline ] || { echo "the test server did not start" >&2; exit 1; }
    sleep 0.2
  done
  server_port=$(sed -n 's/^http .*:\([0-9]*\)$/\1/p' "$log")
  server_user=$(sed -n 's/^user //p' "$log")
  server_password=$(sed -n 's/^password //p' "$log")
}

stop_server() {
  if [ -n "$server_pid" ]; then
    kill "$server_pid" 2>/dev/null || true
    wait "$server_pid" 2>/dev/null || true
    server_pid=""
  fi
}

stop_client() {
  if [ -n "$client_pid" ]; then
    kill "$client_pid" 2>/dev/null || true
    wait "$client_pid" 2>/dev/null || true
    client_pid=""
  fi
}

# Percent of one core that the client used from now for SECONDS.
cpu_over() {
  local before after
  before=$(cpu_ticks)
  sleep "$1"
  after=$(cpu_ticks)
  echo "$(( (after - before) * 100 )) $ticks_per_second $1" | awk '{printf "%.1f", $1 / $2 / $3}'
}

# Seconds from START (and CPU seconds from START_TICKS) until the first 3 s in a row below
# 5 % of a core, 1 s apart: "SECONDS CPU_SECONDS".
wait_settled() {
  local start=$1 start_ticks=$2 quiet=0 quiet_since="" quiet_ticks="" t before after
  local limit=$((SECONDS + 180))
  before=$(cpu_ticks)
  while [ $SECONDS -lt $limit ]; do
    t=$(uptime_now)
    sleep 1
    after=$(cpu_ticks)
    if [ $(( (after - before) * 100 )) -lt $((5 * ticks_per_second)) ]; then
      [ $quiet = 0 ] && quiet_since=$t && quiet_ticks=$before
      quiet=$((quiet + 1))
      if [ $quiet -ge 3 ]; then
        echo "$quiet_since $start $quiet_ticks $start_ticks $ticks_per_second" |
          awk '{printf "%.2f %.2f", $1 - $2, ($3 - $4) / $5}'
        return
      fi
    else
      quiet=0
    fi
    before=$after
  done
  echo null null
}

# Frames drawn between two boot times (the render loops' timing lines), as
# "frames fps busy_share": runs of frames less than 100 ms apart count as busy time.
frames_between() {
  /usr/bin/python3 - "$E2E_DIR/client.log" "$1" "$2" <<'PY'
import re, sys
log, start, end = sys.argv[1], float(sys.argv[2]), float(sys.argv[3])
times = []
for line in open(log, errors="replace"):
    m = re.match(r"\s*(\d+\.\d+) .*frame rendered", line, re.I)
    if m and start <= float(m.group(1)) <= end:
        times.append(float(m.group(1)))
busy = 0.0
run_start = None
for i, t in enumerate(times):
    if run_start is None:
        run_start = t
    if i + 1 == len(times) or times[i + 1] - t > 0.1:
        busy += t - run_start + 1 / 60
        run_start = None
span = end - start
print(len(times), "%.1f" % (len(times) / span), "%.2f" % (min(busy, span) / span))
PY
}

# One client run: MODE site (every measure) or seeded (login, settle, memory), BACKEND
# default or software. Prints one JSON object.
run_client() {
  local mode=$1 backend=$2 run=$3
  E2E_DIR="$workdir/client-$mode-$backend-$run"
  mkdir -p "$E2E_DIR/config"
  {
    printf '[Global]\nHost=127.0.0.1:%s\nUsername=%s\n' "$server_port" "$server_user"
    [ "$backend" = software ] && printf 'GraphicsBackend=software\n'
  } >"$E2E_DIR/config/config.ini"
  bench_wait_for_quiet
  # The render loops' timing lines, the software one's included, with the time since boot.
  (cd "$E2E_DIR" && QSG_RENDER_TIMING=1 QT_LOGGING_RULES=qt.scenegraph.time.renderloop=true \
     QT_MESSAGE_PATTERN='%{time boot} %{message}' \
     exec "$BIN/ZelkaVSS_Client" >"$E2E_DIR/client.log" 2>&1) &
  client_pid=$!
  E2E_CLIENT_PID=$client_pid
  E2E_PATIENCE=60 e2e_wait_window "$WINDOW_TITLE" >/dev/null
  local login_window=$E2E_WINDOW
  e2e_click $LOGIN_USERNAME_FIELD
  e2e_key ctrl+a
  e2e_type "$server_user"
  e2e_click $LOGIN_PASSWORD_FIELD
  e2e_type "$server_password"
  xdotool mousemove --sync $((E2E_X + ${LOGIN_BUTTON% *})) $((E2E_Y + ${LOGIN_BUTTON#* }))
  local clicked clicked_ticks shown main=""
  clicked=$(uptime_now)
  clicked_ticks=$(cpu_ticks)
  xdotool click 1
  local limit=$((SECONDS + 120))
  while [ -z "$main" ] && [ $SECONDS -lt $limit ]; do
    main=$(e2e_client_windows "$WINDOW_TITLE" | grep -vx -- "$login_window" | tail -n 1 || true)
    [ -n "$main" ] || sleep 0.05
  done
  shown=$(uptime_now)
  [ -n "$main" ] || { echo "no main window after the login" >&2; exit 1; }
  E2E_WINDOW=$main
  e2e_refresh_geometry
  local login_s
  login_s=$(echo "$shown $clicked" | awk '{printf "%.2f", $1 - $2}')
  # Nothing plays on the record page and it polls nothing.
  e2e_open_page $MENU_RECORD
  local settled settle_s settle_cpu_s rss pages=""
  settled=$(wait_settled "$clicked" "$clicked_ticks")
  settle_s=${settled% *} settle_cpu_s=${settled#* }
  rss=$(rss_kb)
  if [ "$mode" = site ] && [ "$measure_pages" = 1 ]; then
    local name entry from cpu frames
    for name in home video_square realtime records alarms map; do
      case $name in
        home) entry=$MENU_HOME ;;
        video_square) entry=$MENU_VIDEO_SQUARE ;;
        realtime) entry=$MENU_REALTIME ;;
        records) entry=$MENU_RECORD ;;
        alarms) entry=$MENU_ALARM ;;
        map) entry=$MENU_MAP ;;
      esac
      e2e_open_page "$entry"
      # Away from the menu: a pointer left on it would keep its hover state.
      xdotool mousemove --sync $((E2E_X + E2E_W - 5)) $((E2E_Y + E2E_H - 5))
      sleep 4
      from=$(uptime_now)
      cpu=$(cpu_over "$idle_seconds")
      sleep 0.3
      frames=$(frames_between "$from" "$(echo "$from $idle_seconds" | awk '{print $1 + $2}')")
      set -- $frames
      pages+="${pages:+, }\"$name\": {\"cpu\": $cpu, \"frames\": $1, \"fps\": $2, \"busy_share\": $3}"
    done
  fi
  stop_client
  if grep -Eq 'TypeError|ReferenceError|Unable to assign' "$E2E_DIR/client.log"; then
    echo "QML errors in the client's output ($mode $backend $run):" >&2
    grep -E 'TypeError|ReferenceError|Unable to assign' "$E2E_DIR/client.log" | head -n 5 >&2
  fi
  echo "{\"mode\": \"$mode\", \"backend\": \"$backend\", \"run\": $run, \"load_average\": $bench_load," \
       "\"login_s\": $login_s, \"settle_s\": $settle_s, \"settle_cpu_s\": $settle_cpu_s, \"rss_mb\": $((rss / 1024)), \"pages\": {${pages}}}"
}

results="$workdir/results.jsonl"
: >"$results"
/usr/bin/python3 "$root/tests/server/make-site.py" "$devices" "$channels" "$workdir/site.json"
echo "{\"start\": \"$(date -u +%FT%TZ)\", \"commit\": \"${BENCH_COMMIT:-$(git -C "$root" rev-parse --short HEAD)}\"," \
     "\"load_average\": $(cut -d' ' -f1 /proc/loadavg), \"cores\": $(nproc)," \
     "\"site\": \"$devices devices x $channels channels\"}" | tee -a "$results"
for data in $datasets; do
  if [ $data = site ]; then start_server "$workdir/site.json"; else start_server ""; fi
  for backend in $backends; do
    for ((run = 1; run <= runs; ++run)); do
      run_client $data "$backend" $run | tee -a "$results"
    done
  done
done
stop_server
echo "{\"end\": \"$(date -u +%FT%TZ)\", \"load_average\": $(cut -d' ' -f1 /proc/loadavg)}" | tee -a "$results"
echo
# Where this run departs from the full setting, for the tables to say.
shortened=""
shorten() { shortened+="${shortened:+; }$1"; }
if [ "$runs" -lt 3 ]; then shorten "$runs of the 3 runs"; fi
if [ "$idle_seconds" -lt 6 ]; then shorten "$idle_seconds s per idle page instead of 6"; fi
if [ "$backends" != "default software" ]; then shorten "only the back ends $backends"; fi
if [ "$datasets" != "seeded site" ]; then shorten "only the data $datasets"; fi
if [ "$measure_pages" != 1 ]; then shorten "no idle pages"; fi
if [ "$devices x $channels" != "200 x 50" ]; then shorten "a site of $devices x $channels instead of 200 x 50"; fi
commit=()
if [ -n "${BENCH_COMMIT:-}" ]; then commit=(--commit "$BENCH_COMMIT"); fi
/usr/bin/python3 "$root/bench/site/summarize.py" "$results" --root "$root" --shortened "$shortened" \
    "${commit[@]}" "${readme[@]}"
[ -n "$out" ] && cp "$results" "$out"
exit 0
