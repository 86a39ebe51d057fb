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
# title strip; the calendar opens under the date box: 360 x 260 at (10, 70).
CALENDAR_AREA="10 70 360 260"
# The record address in the table's first row, right of where the calendar opens.
FIRST_ADDRESS="640 136 410 30"
# The record table below the top bar: rows 41 apart under a 40 high header, the button
# columns at the right end. A download popup opens in the middle of the window.
row_y() { echo $((151 + 41 * $1)); }
LINK_X=1145
PLAY_X=1206
DOWNLOAD_X=1267
POPUP_STOP="844 530"
POPUP_CLOSE="1028 401"

e2e_init "$1"
# Today has no cloud records in this run: only the pick of a record day lists rows.
DAY=$(date +%Y%m)0$RECORD_DAY
e2e_seed_data "$E2E_OUTPUT/records.json" "$NO_CLOUD_RECORDS_TODAY"
RECORDS="$E2E_DIR/records/record/download"
e2e_start_logged_in --config "Username=admin
RecordPath=$E2E_DIR/records
" --no-rtsp --data "$E2E_OUTPUT/records.json"
e2e_open_page $MENU_RECORD
e2e_hover 800 600
e2e_wait_still record-page "the record page at rest" 0 46 1368 300

# The first channel of the first device: today's cloud records.
e2e_panel_pick_first_channel
e2e_wait_log "^GET /api/v1/record/querydaily\?id=101&recordType=Cloud&period=$(date +%Y%m%d)&start=0&limit=999$"

# The calendar asks for the month and marks its days.
e2e_hover 800 600
sleep 0.5
e2e_screenshot before-calendar
e2e_click $RECORD_DATE_BOX
e2e_wait_log "^GET /api/v1/record/querymonthly\?id=101&recordType=Cloud&period=$(date +%Y%m)$"
sleep 1
e2e_screenshot calendar
e2e_expect_changed before-calendar calendar "the calendar to open" $CALENDAR_AREA

e2e_pick_calendar_day $RECORD_DAY
e2e_wait_log "^GET /api/v1/record/querydaily\?id=101&recordType=Cloud&period=${DAY}&start=0&limit=999$"
e2e_hover 800 600
sleep 1
e2e_screenshot rows
e2e_expect_changed record-page rows "the day's records listed" $FIRST_ADDRESS

# The first record's link, then the record itself in the play window.
e2e_click $LINK_X "$(row_y 0)"
sleep 0.3
e2e_screenshot link-copied
e2e_click $PLAY_X "$(row_y 0)"
e2e_wait_log "^GET /vod/record/101/${DAY}080000\.mp4"
e2e_other_window
sleep 2
e2e_screenshot play-window
e2e_click $((E2E_OTHER_X - E2E_X + E2E_OTHER_W - 24)) $((E2E_OTHER_Y - E2E_Y + 24))
e2e_wait_only_window

# The second record trickles: its download is stopped midway and leaves no file.
curl -sf -X POST -d "{\"path\": \"/api/v1/record/download/101/${DAY}123000\", \"slowChunkDelayMs\": 50}" \
  "http://127.0.0.1:$E2E_PORT/__control/fault" >/dev/null || e2e_fail "the fault was not set"
e2e_click $DOWNLOAD_X "$(row_y 1)"
e2e_wait_log "^GET /api/v1/record/download/101/${DAY}123000"
sleep 1
e2e_screenshot download-popup
e2e_click $POPUP_STOP
sleep 0.5
[ -z "$(ls -A "$RECORDS")" ] || e2e_fail "a stopped download left $(ls "$RECORDS")"
e2e_click $POPUP_CLOSE
# The first one ends in the record folder.
e2e_click $DOWNLOAD_X "$(row_y 0)"
downloaded() { [ -s "$RECORDS/rec_101_${DAY}080000.mp4-101-${DAY}080000.mp4" ]; }
e2e_until "the downloaded file" downloaded
sleep 1
e2e_screenshot downloaded
[ "$(ls "$RECORDS" | wc -l)" = 1 ] || e2e_fail "the folder holds $(ls "$RECORDS")"

# The device tab asks for the same day again with its type; the view switch shows the
# time axis.
e2e_click $RECORD_DEVICE_TAB
e2e_wait_log "^GET /api/v1/record/querydaily\?id=101&recordType=Device&period=${DAY}&start=0&limit=999$"
e2e_click $RECORD_VIEW_SWITCH
e2e_hover 800 600
sleep 1
e2e_screenshot time-axis

e2e_close_and_pass
