#!/usr/bin/env bash
# The home page as an operator meets it after the login: the camera wall playing the
# stored carousel list by itself, the device tree, the status rings, the disk bars and
# both load charts, which the server's figures move every 2 s; a channel clicked in the
# tree plays in the tile pressed before; away from the page the server is not asked, and
# back on it the charts start empty and fill again.
# Usage (under an X server): tst_homepage.sh BIN_DIR
. "$(dirname "$0")/e2e-driver.sh"

# Points of the main window at scale 1 (1688 x 950): the wall's first three tiles; the
# rings, the disk bars and the two charts' plot areas.
TILE_1="415 100 425 250"
TILE_2="852 100 425 250"
TILE_3="415 363 425 250"
TILE_3_CENTRE="627 488"
RINGS="60 430 310 150"
DISK_BARS="100 710 260 170"
CPU_PLOT="465 710 320 125"
NETWORK_PLOT="940 705 300 130"
STATE='^GET /api/v1/state/top'

state_requests() {
  e2e_server_log | grep -Ec -- "$STATE" || true
}

# The client asks for the figures again only once the last answer came: each state request
# arrived at the server after the reply to the one before it had left (the server's log
# has both times), however long the screenshots meanwhile took.
expect_one_state_request_at_a_time() {
  local early
  early=$(curl -sf "http://127.0.0.1:$E2E_PORT/__control/log" | /usr/bin/python3 -c '
import json, sys
state = [r for r in json.load(sys.stdin) if r["method"] == "GET" and r["path"] == "/api/v1/state/top"]
for n, (earlier, later) in enumerate(zip(state, state[1:]), 1):
    answered = earlier["answeredMs"]
    if answered is None or later["receivedMs"] < answered:
        reply = ("had not left" if answered is None
                 else "left %d ms after it arrived" % (answered - earlier["receivedMs"]))
        print("state request %d arrived %d ms after request %d, whose reply %s"
              % (n + 1, later["receivedMs"] - earlier["receivedMs"], n, reply))
        break
') || e2e_fail "the server's request log could not be read"
  [ -z "$early" ] || e2e_fail "a state request before the reply to the one before it: $early"
}

# True while the reply to state request N (1: the first in the log) has not left the server:
# a screenshot taken before this holds shows the client before that reply.
state_reply_out() {
  curl -sf "http://127.0.0.1:$E2E_PORT/__control/log" | /usr/bin/python3 -c '
import json, sys
state = [r for r in json.load(sys.stdin) if r["method"] == "GET" and r["path"] == "/api/v1/state/top"]
sys.exit(0 if state[int(sys.argv[1]) - 1]["answeredMs"] is None else 1)
' "$1"
}

# Takes screenshot NAME until it differs from screenshot BASE in each of the areas that
# follow (X Y W H each); WHAT names the wait.
screenshot_until_changed() {
  local name=$1 base=$2 what=$3
  shift 3
  local areas=("$@")
  differs() {
    e2e_screenshot "$name" >/dev/null
    local i
    for ((i = 0; i < ${#areas[@]}; i += 4)); do
      e2e_changed "$base" "$name" "${areas[@]:i:4}" || return 1
    done
  }
  e2e_until "$what" differs
  e2e_note "screenshot $E2E_OUTPUT/$name.png"
}

# The next state reply comes DELAY ms late, so that the charts are seen before it.
delay_next_state_reply() {
  curl -sf -X POST "http://127.0.0.1:$E2E_PORT/__control/fault" \
    -d "{\"path\":\"/api/v1/state/top\",\"delayMs\":$1,\"remainingHits\":1}" >/dev/null ||
    e2e_fail "the server took no fault"
}

e2e_init "$1"
e2e_start_server
e2e_write_config $'Username=admin\n[Other]\nCarouselOnStart=true\nCarouselList=101, 102\nCarouselInterval=30\n'
# Held long enough for the screenshot below on a loaded machine, where the login's drawing
# takes seconds.
delay_next_state_reply 10000
e2e_start_client
e2e_log_in
e2e_wait_log '^GET /api/v1/channels\?.*subset=34020000001310000103'

# The carousel starts with the page: the two stored channels play in the first tiles.
e2e_wait_log '^GET /api/v1/devices/channelstream\?device=1&channel=101&protocol=RTSP&token='
e2e_wait_log '^GET /api/v1/devices/channelstream\?device=1&channel=102&protocol=RTSP&token='

# The first request leaves 2 s after the page shows; until its late reply the charts
# are empty, while the tree, the rings and the disk axis are drawn.
e2e_wait_log "$STATE"
e2e_screenshot_drawn empty-charts $RINGS
# A screenshot slower than the held reply shows filled charts: then no picture of the empty
# ones to compare with.
empty_seen=true
state_reply_out 1 || { empty_seen=false; e2e_note "the empty charts were not caught before the first reply"; }

# The reply fills both charts, and every later one moves them on; the next request waited
# for the late reply.
e2e_wait_log "$STATE" 2
expect_one_state_request_at_a_time
screenshot_until_changed filled-1 empty-charts "the charts and the disk bars to be drawn" \
  $CPU_PLOT $NETWORK_PLOT $DISK_BARS
e2e_wait_log "$STATE" 3
screenshot_until_changed filled-2 filled-1 "both charts to move" $CPU_PLOT $NETWORK_PLOT

# The carousel's tiles play without a click; the third tile waits.
screenshot_until_changed carousel filled-2 "pictures in the first two tiles" $TILE_1 $TILE_2
e2e_changed filled-2 carousel $TILE_3 && e2e_fail "the third tile changed by itself"

# The pressed tile becomes the current one: a channel clicked in the tree plays there.
e2e_click $TILE_3_CENTRE
e2e_home_pick_first_channel
e2e_wait_log '^GET /api/v1/devices/channelstream\?device=1&channel=101&protocol=RTSP&token=' 2
e2e_hover 1500 900
screenshot_until_changed playing carousel "a picture in the third tile" $TILE_3

# Away from the page the server is not asked for its figures.
e2e_open_page $MENU_ALARM
sleep 1
away=$(state_requests)
sleep 3
[ "$(state_requests)" = "$away" ] || e2e_fail "state requests while the home page is hidden"

# Back on the page, the charts are empty until the next reply fills them again.
delay_next_state_reply 3000
e2e_open_page $MENU_HOME
e2e_wait_log "$STATE" $((away + 1))
sleep 0.5
e2e_screenshot returned
if ! state_reply_out $((away + 1)); then
  e2e_note "the screenshot on return was taken after the held reply had left: the charts' emptiness is not judged"
elif $empty_seen; then
  e2e_changed empty-charts returned $CPU_PLOT && e2e_fail "the CPU chart is not empty on return"
  e2e_changed empty-charts returned $NETWORK_PLOT && e2e_fail "the bandwidth chart is not empty on return"
fi
e2e_wait_log "$STATE" $((away + 2))
expect_one_state_request_at_a_time
screenshot_until_changed home returned "both charts to fill again" $CPU_PLOT $NETWORK_PLOT

e2e_close_and_pass
