#!/usr/bin/env bash
# The video square as an operator meets it: a device of 61 channels picked in the side
# panel fills the grid with their snapshots, the paging row moves through the three
# pages (by button and by the page field with Return), a double-click lays one tile over the grid and
# plays it live, a second double-click puts it back and stops the stream.
# Usage (under an X server): tst_videosquare.sh BIN_DIR
. "$(dirname "$0")/e2e-driver.sh"

# Points of the main window at scale 1 (1688 x 950). The side panel is 320 wide at the
# right edge, tree rows 30 high from y 107; the grid fills the 1368 pixels left of it
# from y 46, five cells of 273.6 x 200 to a row; the paging row lies centred under it.
NAME_X=1470
GRID_Y=46
cell_x() { echo $(( (2 * ($1 % 5) + 1) * 1368 / 10 )); }
cell_y() { echo $(( GRID_Y + 200 * ($1 / 5) + 100 )); }
PAGING_Y=924
NEXT_X=493
PAGE_FIELD_X=586

# The seeded data and a device "六十一路NVR" with 61 channels, every fourth offline.
DATA=$E2E_OUTPUT/square61.json
mkdir -p "$E2E_OUTPUT"
/usr/bin/python3 - "$(dirname "$0")/../server/seed.json" "$DATA" <<'PY'
import json, sys
data = json.load(open(sys.argv[1], encoding="utf-8"))
device = dict(data["Devices"][0], DeviceID=9, DeviceName="六十一路NVR", GbDeviceID="34020000001320000009")
data["Devices"].append(device)
for n in range(61):
    channel_id = 9001 + n
    channel = dict(data["Channels"][0], ChannelID=channel_id, ParentDeviceID=9, Name="广场-%d" % (n + 1),
                   Online=0 if n % 4 == 3 else 1, Parental=0, FavoritesChannel=0,
                   GBChannelID="340200000013100%05d" % channel_id,
                   SnapUrl="/snap/%d.%s" % (channel_id, "h265" if n % 2 else "h264"), _Stream="h264")
    data["Channels"].append(channel)
json.dump(data, open(sys.argv[2], "w", encoding="utf-8"), ensure_ascii=False)
PY

count() {
  e2e_server_log | grep -cE -- "$1" || true
}

e2e_init "$1"
e2e_start_server --data "$DATA"
e2e_write_config 'Username=admin\n'
e2e_start_client
e2e_log_in
e2e_open_page $MENU_VIDEO_SQUARE
sleep 1.5
e2e_screenshot_drawn empty-square

# The device (the fifth row) fills the first page: 30 snapshots fetched.
e2e_click $NAME_X "$(panel_row_y 4)"
e2e_wait_log '^GET /snap/90(0[1-9]|[12][0-9]|30)\.h26[45]\?' 30
sleep 2
e2e_screenshot_drawn page1
[ "$(count '^GET /snap/90(3[1-9]|[4-6][0-9])\.')" = 0 ] || e2e_fail "snapshots of later pages fetched"
[ "$(count '^GET /api/v1/devices/stopchannelstream')" = 0 ] || e2e_fail "a page build sent stops"

# ">" twice: the third page holds one cell, [1] 广场-61.
e2e_click $NEXT_X $PAGING_Y
e2e_wait_log '^GET /snap/9060\.h265\?' 1
e2e_click $NEXT_X $PAGING_Y
e2e_wait_log '^GET /snap/9061\.h264\?' 1
sleep 1.5
e2e_screenshot_drawn page3

# Page 2 typed into the page field, taken by Return.
e2e_click $PAGE_FIELD_X $PAGING_Y
e2e_key ctrl+a
e2e_type 2
e2e_key Return
e2e_wait_log '^GET /snap/9031\.h264\?' 2
sleep 1.5

# The first cell of page 2 (广场-31) laid over the grid: it plays channel 9031 live.
e2e_hover $(($(cell_x 0) - 60)) "$(cell_y 0)"
xdotool click --repeat 2 --delay 120 1
e2e_wait_log '^GET /api/v1/gettoken\?channel=9031' 1
e2e_wait_log '^GET /api/v1/devices/channelstream\?device=9&channel=9031&' 1
sleep 4
e2e_screenshot_drawn enlarged
sleep 1
e2e_screenshot enlarged-later
e2e_expect_changed enlarged enlarged-later "moving video in the enlarged tile" 0 $GRID_Y 1368 800
[ "$(count '^GET /api/v1/devices/stopchannelstream\?device=9')" = 0 ] || e2e_fail "a stop before the shrink"

# A second double-click puts it back into its cell and stops the live stream.
xdotool click --repeat 2 --delay 120 1
e2e_wait_log '^GET /api/v1/devices/stopchannelstream\?device=9&channel=9031&stream_type=play' 1
sleep 1.5
e2e_screenshot_drawn shrunk
e2e_expect_clean_log
