#!/usr/bin/env bash
# Pictures of the client for the documentation: the login window and every page of the
# main window (home, video square, real-time view with tiles playing, records with the
# time line and a day's records, alarms, map), taken from the real client against the
# local test server on a virtual X display, scaled down into docs/*.jpg.
# Usage: bash scripts/screenshots.sh   (builds the client and the test server first)
# SHOT_WIDTH and SHOT_QUALITY set the pictures' width in pixels (800) and JPEG quality (70)
# (not WIDTH: the driver's window look-up sets that one).
set -euo pipefail
cd "$(dirname "$0")/.."
if [ -z "${ZELKA_SCREENSHOTS_DISPLAY:-}" ]; then
  bash scripts/build.sh ZelkaVSS_Client zelka_test_server
  export ZELKA_SCREENSHOTS_DISPLAY=1
  exec bash "$PWD/tests/common/with-xvfb.sh" "-screen 0 1920x1080x24" bash "$0" "$@"
fi

ROOT=$PWD
BIN="$ROOT/${BUILD_DIR:-build}/bin"
DOCS="$ROOT/docs"
SHOT_WIDTH=${SHOT_WIDTH:-800}
SHOT_QUALITY=${SHOT_QUALITY:-70}
E2E_OUTPUT=$(mktemp -d "${TMPDIR:-/tmp}/zelka-screenshots.XXXXXX")
# The calendar's weeks start on the locale's first day: the C locale's Monday.
export LC_ALL=C.UTF-8
. "$ROOT/tests/e2e/e2e-driver.sh"

# Keeps the current window's part of the screenshot NAME as docs/NAME.jpg.
keep() {
  local name=$1
  e2e_screenshot_drawn "$name"
  convert "$E2E_OUTPUT/$name.png" -crop "${E2E_W}x${E2E_H}+${E2E_X}+${E2E_Y}" +repage \
    -resize "${SHOT_WIDTH}x" -strip -quality "$SHOT_QUALITY" "$DOCS/$name.jpg"
  echo "wrote docs/$name.jpg"
}

# The pointer rests on the page's empty right edge, away from menus and tool bars.
rest_pointer() {
  e2e_hover 1500 930
  sleep "${1:-1.5}"
}

mkdir -p "$DOCS"
# The client writes its log beside itself: it runs from a stand-in of its folder.
bash "$ROOT/tests/common/own-folder.sh" "$BIN" "$E2E_OUTPUT/bin"
e2e_init "$E2E_OUTPUT/bin"
trap 'e2e_cleanup; rm -rf "$E2E_OUTPUT"' EXIT
e2e_start_server
e2e_write_config 'Username=admin\n'
e2e_start_client
e2e_wait_window "$WINDOW_TITLE"
sleep 1
keep login
e2e_log_in
e2e_wait_log '^GET /api/v1/channels\?.*subset=34020000001310000103'
e2e_wait_log '^GET /snap/' 1
rest_pointer 3
keep home

# The video square: the first device picked in the side panel fills the grid with its
# channels' snapshots.
e2e_open_page $MENU_VIDEO_SQUARE
sleep 1.5
e2e_click $PANEL_TEXT_X "$(panel_row_y 0)"
rest_pointer 3
keep videosquare

# The real-time view: nine cells, the carousel started with the first page of online
# channels, which play in the cells.
e2e_open_page $MENU_REALTIME
sleep 1.5
e2e_click "$(layout_button_x 3)" $STRIP_Y
sleep 1
e2e_click $CAROUSEL_X $STRIP_Y
e2e_wait_log '^GET /api/v1/channels\?start=0&limit=10&getdevinfo=true&online=true$'
sleep 1
e2e_click 485 266 # the popup's header box: every channel of the page
sleep 0.5
e2e_click 1143 737 # the popup's start button
e2e_wait_log '^GET /api/v1/devices/channelstream\?' 6
rest_pointer 5
keep realtime

# Records: the first channel, the 8th of this month (cloud records in the seeded data),
# the time-axis view with the day's bars, one of them playing.
e2e_open_page $MENU_RECORD
sleep 1
e2e_panel_pick_first_channel
e2e_click $RECORD_DATE_BOX
sleep 1
e2e_pick_calendar_day 8
day=$(date +%Y%m)08
e2e_wait_log "^GET /api/v1/record/querydaily\?id=101&recordType=Cloud&period=${day}&start=0&limit=999$"
rest_pointer 2
keep records
e2e_click $RECORD_VIEW_SWITCH
rest_pointer 1
e2e_double_click "$(ruler_x 45900)" $BAR_Y # 12:45, inside the 12:30 record
e2e_wait_log "^GET /vod/record/101/${day}123000\.mp4"
rest_pointer 4
keep records-timeline

e2e_open_page $MENU_ALARM
e2e_wait_log '^GET /snap/alarm/' 1
e2e_hover 900 600
sleep 2
keep alarms

# The map with the first device's pins.
e2e_open_page $MENU_MAP
e2e_wait_log '^GET /tiles/'
e2e_click $PANEL_TEXT_X "$(panel_row_y 0)"
e2e_hover 100 900
sleep 3
keep map

e2e_close_main_window
du -ch "$DOCS"/*.jpg | tail -n 1
