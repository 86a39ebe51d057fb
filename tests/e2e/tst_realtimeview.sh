#!/usr/bin/env bash
# The real-time view as an operator meets it: the shipped layouts (64 cells, then 9), the
# carousel popup with an interval typed and the online channels checked, the carousel
# playing them, a tile maximised by double-click and restored, and "一键关闭" stopping all 144 tiles.
# Usage (under an X server): tst_realtimeview.sh BIN_DIR
. "$(dirname "$0")/e2e-driver.sh"

# Points of the main window at scale 1 (1688 x 950): the menu entry of the real-time view,
# the strip at the bottom of the page (layout buttons 32 wide, 8 apart, then the three
# command buttons 100 wide), the carousel popup centred in the window.
HEADER_BOX="485 266"
# The popup's first row: its "在线" (green text) and a point on its box's checked blue.
FIRST_ROW_ONLINE="1145 294 60 24"
ONLINE_GREEN="73 181 31"
FIRST_ROW_BOX="480 301"
BOX_CHECKED="0 167 235"
START_BUTTON="1143 737"
# The interval field ("30" at first) and the part of it that its first digit takes.
INTERVAL_FIELD="960 226"
INTERVAL_FIRST_DIGIT="924 214 11 24"
# The layout's cells, the button strip, which a maximised tile covers, and the middle of
# the 9-cell layout's first cell.
GRID="0 100 1360 700"
STRIP_AREA="0 913 700 32"
FIRST_CELL="228 190"

stops() {
  e2e_server_log | grep -c '^GET /api/v1/devices/stopchannelstream' || true
}

e2e_init "$1"
# Channel 101, the carousel's first, plays a still picture of one colour.
e2e_seed_data "$E2E_OUTPUT/still.json" 'channel(101)["_Stream"] = "h264-still"'
e2e_start_server --data "$E2E_OUTPUT/still.json"
e2e_write_config 'Username=admin\n'
e2e_start_client
e2e_log_in
e2e_open_page $MENU_REALTIME
e2e_wait_still realtime_one "the page at rest" $GRID

e2e_click "$(layout_button_x 8)" $STRIP_Y
e2e_wait_still realtime_64 "the 64-cell layout at rest" $GRID
e2e_expect_changed realtime_one realtime_64 "the 64-cell layout" $GRID
e2e_click "$(layout_button_x 3)" $STRIP_Y
e2e_wait_still realtime_9 "the 9-cell layout at rest" $GRID
e2e_expect_changed realtime_64 realtime_9 "the 9-cell layout" $GRID

# The popup lists the online channels; the header box checks the page's six. The box is
# clicked once the rows are drawn (clicked before the list's answer arrives it checks no
# row, and the carousel starts with no channel), and the start once the first row's box
# shows checked.
e2e_click $CAROUSEL_X $STRIP_Y
e2e_wait_log '^GET /api/v1/channels\?start=0&limit=10&getdevinfo=true&online=true$'
# shellcheck disable=SC2086
e2e_screenshot_colour_in carousel_listed "the first row's \"在线\"" $FIRST_ROW_ONLINE $ONLINE_GREEN
# The carousel interval, clicked with the button held past the platform's press-and-hold
# interval, takes the digits typed then: its first digit turns from 3 to 4 (the caret lies
# right of the part compared).
# shellcheck disable=SC2086
e2e_click_held $INTERVAL_FIELD 1
e2e_key ctrl+a
e2e_type 45
# shellcheck disable=SC2086
e2e_screenshot_changed carousel_listed interval_typed "the typed interval in its field" $INTERVAL_FIRST_DIGIT
# shellcheck disable=SC2086
e2e_click $HEADER_BOX
# shellcheck disable=SC2086
e2e_screenshot_colour carousel_popup "the first row's box checked" $FIRST_ROW_BOX $BOX_CHECKED
# shellcheck disable=SC2086
e2e_click $START_BUTTON
e2e_wait_log '^GET /api/v2/channels\?channels=101,102,106,201,401,402$' 2
before=$(stops)
e2e_wait_log '^GET /api/v1/devices/channelstream\?.*channel=402' 1
e2e_wait_log '^GET /api/v1/devices/channelstream\?' 6
[ "$before" -ge 144 ] || e2e_fail "the start closed $before tiles, not 144"
# shellcheck disable=SC2086
e2e_screenshot_colour carousel-started "channel 101 playing in the first cell" $FIRST_CELL $E2E_STILL_H264
sleep 1
e2e_screenshot_drawn carousel_playing

# Double-click maximises a tile over the whole view, the strip included; again, over
# another cell, restores.
double_click() {
  xdotool mousemove --sync $((E2E_X + $1)) $((E2E_Y + $2)) click --repeat 2 --delay 80 1
}
double_click 280 200
sleep 1
e2e_screenshot_drawn maximised
# shellcheck disable=SC2086
e2e_expect_changed carousel_playing maximised "the tile to cover the view" $STRIP_AREA
double_click 600 400
# shellcheck disable=SC2086
e2e_screenshot_same carousel_playing restored "the tile back in its cell, the strip shown again" $STRIP_AREA

# "一键关闭": one stop per tile, hidden cells included.
e2e_click $CLOSE_ALL_X $STRIP_Y
e2e_wait_log '^GET /api/v1/devices/stopchannelstream' $((before + 144))
sleep 1
e2e_screenshot_drawn closed
e2e_expect_clean_log
e2e_note "passed"
