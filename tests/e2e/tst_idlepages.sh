#!/usr/bin/env bash
# An operator leaves the home page while its charts move, again and again, then rests on a
# page where nothing plays: the client draws only what changes there (the clock, once a
# second). A chart animation stopped just after it started (its page hidden in mid-update)
# could leave Qt's animation timer running with no animation, and the window was then drawn
# at the screen's rate for the rest of the run. Frames are counted from the render loop's
# timing lines, as the site benchmark counts them; the client's CPU is reported beside.
# Usage (under an X server): tst_idlepages.sh BIN_DIR
. "$(dirname "$0")/e2e-driver.sh"

IDLE_SECONDS=6
# The clock draws one frame a second; a stuck animation timer draws tens.
MOST_FRAMES=$((IDLE_SECONDS * 3))

e2e_init "$1"
export QSG_RENDER_TIMING=1 QT_LOGGING_RULES=qt.scenegraph.time.renderloop=true
export QT_MESSAGE_PATTERN='%{time boot} %{message}'
# A site of many devices: the home page's tree and rings are busy while the charts move.
/usr/bin/python3 "$(dirname "$0")/../server/make-site.py" 200 50 "$E2E_DIR/site.json" >/dev/null
e2e_start_server --data "$E2E_DIR/site.json"
e2e_write_config 'Username=admin\n'
e2e_start_client
e2e_log_in
e2e_open_page $MENU_RECORD
sleep 6

# Home for a few of the charts' 2 s samples (after each they animate for 800 ms), then
# the other pages in turn, as the site benchmark goes through them.
for page in $MENU_HOME $MENU_VIDEO_SQUARE $MENU_REALTIME $MENU_HOME $MENU_ALARM $MENU_HOME $MENU_MAP; do
  e2e_open_page "$page"
  sleep 5
done
e2e_open_page $MENU_RECORD
# Off the menu: a pointer left on an entry keeps its hover state.
e2e_hover $((E2E_W - 5)) $((E2E_H - 5))
sleep 4

uptime_now() { cut -d' ' -f1 /proc/uptime; }
cpu_ticks() { awk '{print $14 + $15}' "/proc/$E2E_CLIENT_PID/stat"; }
from=$(uptime_now)
ticks_before=$(cpu_ticks)
sleep "$IDLE_SECONDS"
ticks_after=$(cpu_ticks)
to=$(uptime_now)
frames=$(awk -v from="$from" -v to="$to" '/frame rendered/ && $1 >= from && $1 <= to { n++ } END { print n + 0 }' \
  "$E2E_DIR/client.log")
cpu=$(echo "$ticks_before $ticks_after $(getconf CLK_TCK) $IDLE_SECONDS" | awk '{printf "%.1f", ($2 - $1) * 100 / $3 / $4}')
freed=$(grep -c 'animation ticks in' "$E2E_DIR/client.log" || true)
e2e_note "idle record page: $frames frames in $IDLE_SECONDS s, $cpu % of a core; stuck animation timers freed: $freed"
[ "$frames" -le "$MOST_FRAMES" ] || e2e_fail "the idle page was drawn $frames times in $IDLE_SECONDS s"

e2e_close_and_pass
