#!/usr/bin/env bash
# The latest alarms on the home page as an operator meets them after the login: ten
# snapshots of the server's last ten alarms (pages 0, 3 and 2 of its 30), a recording
# played in its own window, a second alarm switching that window's stream, and closing
# the window stopping the playback.
# Usage (under an X server): tst_latestalarms.sh BIN_DIR
. "$(dirname "$0")/e2e-driver.sh"

# Points of the main window at scale 1 (1688 x 950): the alarms panel is the right-hand
# column; its first row's snapshot, with the play button at its centre, and the second
# row's 265 lower; the refresh button at the right of the panel's title bar.
PLAY_X=1484
PLAY_Y=195
ROW_STEP=265
ALARMS="1312 97 350 840"
# Points of the 860 x 560 playback window: its close button and its video.
CLOSE="836 24"
VIDEO="10 45 840 505"

count() {
  e2e_server_log | grep -cE -- "$1" || true
}

e2e_init "$1"
e2e_start_server
e2e_write_config 'Username=admin\n'
e2e_start_client
e2e_log_in

# Ten snapshots of the ten latest alarms, fetched once each. The alarm page, made with
# the main window, asks for its own first page (the oldest alarms) as well.
e2e_wait_log '^GET /api/v1/alarmlist\?pageindex=2&pagesize=10&priority=0&method=0' 1
for id in 23 24 21 22 26 27 28 25 29 30; do
  e2e_wait_log "^GET /snap/alarm/$id\\." 1
done
sleep 2
pages=$(e2e_server_log | grep '^GET /api/v1/alarmlist' | sed 's/.*pageindex=\([0-9]*\).*/\1/' | tr '\n' ' ')
[ "$(echo "$pages" | tr -d '0 ')" = 32 ] && [ "$(echo "$pages" | tr -cd 0)" = 00 ] || e2e_fail "pages asked: $pages"
for id in 23 24 21 22 26 27 28 25 29 30; do
  [ "$(count "^GET /snap/alarm/$id\\.")" = 1 ] || e2e_fail "the snapshot of alarm $id"
done
# shellcheck disable=SC2086
e2e_screenshot_drawn home-alarms $ALARMS
main=$E2E_WINDOW
main_x=$E2E_X main_y=$E2E_Y main_w=$E2E_W main_h=$E2E_H

# The first row's play button: its recording in a window of its own.
e2e_click $PLAY_X $PLAY_Y
e2e_wait_log '^GET /download/alarm/23\.mp4' 1
e2e_wait_window --new '.'
sleep 3
# shellcheck disable=SC2086
e2e_screenshot_drawn alarm-playing $VIDEO
sleep 1
e2e_screenshot alarm-playing-later
# shellcheck disable=SC2086
e2e_expect_changed alarm-playing alarm-playing-later "the alarm recording to play" $VIDEO
popup=$E2E_WINDOW popup_x=$E2E_X popup_y=$E2E_Y popup_w=$E2E_W popup_h=$E2E_H

# The second row's alarm switches the stream in the same window.
E2E_WINDOW=$main E2E_X=$main_x E2E_Y=$main_y E2E_W=$main_w E2E_H=$main_h
e2e_click $PLAY_X $((PLAY_Y + ROW_STEP))
e2e_wait_log '^GET /download/alarm/24\.mp4' 1
[ "$(e2e_client_windows . | grep -cvx -- "$main")" = 1 ] || e2e_fail "a second playback window"
E2E_WINDOW=$popup E2E_X=$popup_x E2E_Y=$popup_y E2E_W=$popup_w E2E_H=$popup_h
sleep 2
# shellcheck disable=SC2086
e2e_screenshot_drawn second-alarm $VIDEO

# Closing the window stops the playback.
# shellcheck disable=SC2086
e2e_click $CLOSE
e2e_wait_log '^GET /api/v1/devices/stopchannelstream\?device=-1&channel=-1&stream_type=playback' 1
E2E_WINDOW=$main E2E_X=$main_x E2E_Y=$main_y E2E_W=$main_w E2E_H=$main_h
e2e_wait_only_window
e2e_screenshot closed
e2e_expect_clean_log
