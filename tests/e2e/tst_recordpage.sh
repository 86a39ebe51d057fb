#!/usr/bin/env bash
# The record page as an operator meets it: a channel picked in the side panel asks for
# today's records; the calendar opens with the month's days that have records marked;
# a marked day double-clicked is queried and its records listed; a record's link is
# copied, the record played in the play window, one download stopped midway (no file
# left) and another finished into the record folder; the device tab asks again with its
# type; the view switch shows the time axis.
# Usage (under an X server): tst_recordpage.sh BIN_DIR
. "$(dirname "$0")/e2e-driver.sh"

# The calendar's grid starts its weeks on the locale's first day: the C locale's Monday.
export LC_ALL=C.UTF-8

# Points of the main window at scale 1 (1688 x 950). The record page fills it below the
# title strip; its top bar holds the date box, the view switch and the two type tabs;
# the side panel is 320 wide at the right edge, its device rows 30 apart.
RECORD_ENTRY="30 559"
DATE_BOX="100 65"
VIEW_SWITCH="270 65"
DEVICE_TAB="1318 65"
PANEL_SQUARE_X=1384
PANEL_TEXT_X=1480
panel_row_y() { echo $((107 + 30 * $1)); }
# The calendar opens under the date box: 360 x 260 at (10, 70), its grid of 7 columns
# and 30 high rows below the month and weekday lines.
CALENDAR_AREA="10 70 360 260"
day_x() { echo $((10 + 360 * $1 / 7 + 26)); }
day_y() { echo $((162 + 30 * $1)); }
ROWS_AREA="10 80 600 60"
# The record table below the top bar: rows 41 apart under a 40 high header, the button
# columns at the right end. A download popup opens in the middle of the window.
row_y() { echo $((151 + 41 * $1)); }
LINK_X=1145
PLAY_X=1206
DOWNLOAD_X=1267
POPUP_STOP="844 530"
POPUP_CLOSE="1028 401"

e2e_double_click() {
  xdotool mousemove --sync $((E2E_X + $1)) $((E2E_Y + $2))
  xdotool click --repeat 2 --delay 80 1
}

e2e_init "$1"
e2e_start_server --no-rtsp
RECORDS="$E2E_DIR/records/record/download"
e2e_write_config "Username=admin
RecordPath=$E2E_DIR/records
"
e2e_start_client
e2e_log_in
e2e_wait_log '^GET /api/v1/channels\?.*subset=34020000001310000103'
e2e_click $RECORD_ENTRY
e2e_hover 800 600
sleep 1
e2e_screenshot_drawn record-page

# The first channel of the first device: today's cloud records.
e2e_click $PANEL_SQUARE_X "$(panel_row_y 0)"
sleep 0.5
e2e_click $PANEL_TEXT_X "$(panel_row_y 1)"
e2e_wait_log "^GET /api/v1/record/querydaily\?id=101&recordType=Cloud&period=$(date +%Y%m%d)&start=0&limit=999$"

# The calendar asks for the month and marks its days.
e2e_hover 800 600
sleep 0.5
e2e_screenshot before-calendar
e2e_click $DATE_BOX
e2e_wait_log "^GET /api/v1/record/querymonthly\?id=101&recordType=Cloud&period=$(date +%Y%m)$"
sleep 1
e2e_screenshot calendar
e2e_changed before-calendar calendar $CALENDAR_AREA || e2e_fail "the calendar did not open"

# The 8th has cloud records in every month of the seeded data: its cell lies in the
# week of the 1st (Monday first) plus one.
first=$(($(date -d "$(date +%Y-%m-01)" +%u) - 1))
cell=$((first + 7))
e2e_double_click "$(day_x $((cell % 7)))" "$(day_y $((cell / 7)))"
e2e_wait_log "^GET /api/v1/record/querydaily\?id=101&recordType=Cloud&period=$(date +%Y%m)08&start=0&limit=999$"
e2e_hover 800 600
sleep 1
e2e_screenshot rows
e2e_changed before-calendar rows $ROWS_AREA || e2e_fail "no records listed"

# The first record's link, then the record itself in the play window.
DAY8="$(date +%Y%m)08"
e2e_click $LINK_X "$(row_y 0)"
sleep 0.3
e2e_screenshot link-copied
e2e_click $PLAY_X "$(row_y 0)"
e2e_wait_log "^GET /vod/record/101/${DAY8}080000\.mp4"
e2e_other_window
sleep 2
e2e_screenshot play-window
e2e_click $((E2E_OTHER_X - E2E_X + E2E_OTHER_W - 24)) $((E2E_OTHER_Y - E2E_Y + 24))
e2e_wait_only_window

# The second record trickles: its download is stopped midway and leaves no file.
curl -sf -X POST -d "{\"path\": \"/api/v1/record/download/101/${DAY8}123000\", \"slowChunkDelayMs\": 50}" \
  "http://127.0.0.1:$E2E_PORT/__control/fault" >/dev/null || e2e_fail "the fault was not set"
e2e_click $DOWNLOAD_X "$(row_y 1)"
e2e_wait_log "^GET /api/v1/record/download/101/${DAY8}123000"
sleep 1
e2e_screenshot download-popup
e2e_click $POPUP_STOP
sleep 0.5
[ -z "$(ls -A "$RECORDS")" ] || e2e_fail "a stopped download left $(ls "$RECORDS")"
e2e_click $POPUP_CLOSE
# The first one ends in the record folder.
e2e_click $DOWNLOAD_X "$(row_y 0)"
downloaded() { [ -s "$RECORDS/rec_101_${DAY8}080000.mp4-101-${DAY8}080000.mp4" ]; }
e2e_until "the downloaded file" downloaded
sleep 1
e2e_screenshot downloaded
[ "$(ls "$RECORDS" | wc -l)" = 1 ] || e2e_fail "the folder holds $(ls "$RECORDS")"

# The device tab asks for the same day again with its type; the view switch shows the
# time axis.
e2e_click $DEVICE_TAB
e2e_wait_log "^GET /api/v1/record/querydaily\?id=101&recordType=Device&period=$(date +%Y%m)08&start=0&limit=999$"
e2e_click $VIEW_SWITCH
e2e_hover 800 600
sleep 1
e2e_screenshot time-axis

e2e_click $((E2E_W - 16)) 25
e2e_wait_log '^POST /api/v1/logout'
e2e_wait_exit
[ "$E2E_EXIT_CODE" = 0 ] || e2e_fail "the client ended with $E2E_EXIT_CODE"
e2e_expect_clean_log
e2e_note "passed"
