#!/usr/bin/env bash
# The real-time view page as an operator meets it: a pick in each tab of the side panel
# plays in the current cell, a pointer drag swaps two playing tiles, the docked PTZ panel
# steers what the current tile shows now, a group of 16 online channels rotates through
# the 16-cell layout, "一键关闭" stops every tile and "PTZ面板" hides and shows the panel.
# Usage (under an X server): tst_realtimepage.sh BIN_DIR
. "$(dirname "$0")/e2e-driver.sh"

# Points of the main window at scale 1 (1688 x 950). The side panel is 320 wide at the
# right edge: tabs at the top, tree rows 30 high from y 107, open/close buttons at x 1383
# (a row one level down at 1411), group play buttons at x 1672; the docked PTZ panel's
# zoom-in button under it. The layout view's strip lies at the bottom left.
DEVICE_TAB=1421
GROUP_TAB=1528
FAVOURITE_TAB=1635
TAB_Y=76
OPEN_X=1383
OPEN_X2=1411
NAME_X=1470
PLAY_X=1672
ZOOM_IN="1452 680"
PTZ_AREA="1368 620 320 330"
# The layout view is 1368 wide and its grid 862 high from y 46.
GRID_W=1368
GRID_Y=46
GRID_H=862

# The seeded data and a device with 16 online channels on one shared stream, a still
# picture of one colour (cells 0 and 1 play other channels before the group starts, whose
# moving pictures would pass for the group's), gathered in the first group "十六路".
DATA=$E2E_OUTPUT/realtime16.json
mkdir -p "$E2E_OUTPUT"
/usr/bin/python3 - "$(dirname "$0")/../server/seed.json" "$DATA" <<'PY'
import json, sys
data = json.load(open(sys.argv[1], encoding="utf-8"))
device = dict(data["Devices"][0], DeviceID=9, DeviceName="十六路NVR", GbDeviceID="34020000001320000009")
data["Devices"].append(device)
ids = list(range(9001, 9017))
for n, channel_id in enumerate(ids):
    channel = dict(data["Channels"][0], ChannelID=channel_id, ParentDeviceID=9, Name="十六路-%d" % (n + 1),
                   Online=1, Parental=0, FavoritesChannel=0, GBChannelID="340200000013100%05d" % channel_id,
                   SnapUrl="", _Stream="h264-still")
    data["Channels"].append(channel)
data["Groups"].insert(0, {"ID": 9, "Name": "十六路", "Channels": ids})
json.dump(data, open(sys.argv[2], "w", encoding="utf-8"), ensure_ascii=False)
PY

count() {
  e2e_server_log | grep -cE -- "$1" || true
}

# The centre of cell INDEX of a layout of COLUMNS x COLUMNS cells.
cell_x() { echo $(( (2 * ($1 % $2) + 1) * GRID_W / (2 * $2) )); }
cell_y() { echo $(( GRID_Y + (2 * ($1 / $2) + 1) * GRID_H / (2 * $2) )); }

# Drags the tile of cell FROM onto cell TO of the two-column layout with the pointer. Under
# load the system drag starts late and follows the pointer late: each step waits for it.
drag_cell() {
  local from_x=$((E2E_X + $(cell_x "$1" 2))) from_y=$((E2E_Y + $(cell_y "$1" 2)))
  local to_x=$((E2E_X + $(cell_x "$2" 2))) to_y=$((E2E_Y + $(cell_y "$2" 2)))
  xdotool mousemove --sync $from_x $from_y mousedown 1
  sleep 0.5
  xdotool mousemove --sync $((from_x + 12)) $from_y
  sleep 0.5
  for step in 1 2 3 4 5 6 7 8; do
    xdotool mousemove --sync $((from_x + (to_x - from_x) * step / 8)) $((from_y + (to_y - from_y) * step / 8))
    sleep 0.15
  done
  xdotool mousemove --sync $to_x $to_y
  sleep 0.5
  xdotool mousemove --sync $((to_x + 3)) $((to_y + 3))
  sleep 0.5
  xdotool mouseup 1
}

# A drag of cell 0 onto cell 1 swaps the channels of the two cells (101 and 102): both are
# set up anew (the two requests may reach the server in either order). WHICH names the drag.
expect_drag_swaps() {
  local tokens
  tokens=$(count '^GET /api/v1/gettoken')
  drag_cell 0 1
  e2e_wait_log '^GET /api/v1/gettoken' $((tokens + 2))
  local last_two
  last_two=$(e2e_server_log | grep '^GET /api/v1/gettoken' | tail -n 2 | sed 's/.*channel=\([0-9-]*\).*/\1/' | sort | tr '\n' ' ')
  [ "$last_two" = "101 102 " ] || e2e_fail "the $1 drop played $last_two"
}

e2e_init "$1"
e2e_start_server --data "$DATA"
e2e_write_config 'Username=admin\n'
e2e_start_client
e2e_log_in
e2e_open_page $MENU_REALTIME
# The page slides in: its strip takes clicks once it has come to rest.
e2e_wait_still strip "the page's button strip at rest" 0 913 700 32
e2e_click "$(layout_button_x 1)" $STRIP_Y
sleep 1

# A pick in each tab plays in the current cell; the next cell becomes current.
# Each click waits until the rows it opens show.
e2e_panel_open $OPEN_X 0
e2e_click $NAME_X "$(panel_row_y 1)"
e2e_wait_log '^GET /api/v1/devices/channelstream\?device=1&channel=101&' 1
e2e_click $GROUP_TAB $TAB_Y
e2e_wait_log '^GET /api/v1/labelchannel/info\?$'
sleep 1.5
e2e_panel_open $OPEN_X 1
e2e_panel_open $OPEN_X2 2
e2e_click $NAME_X "$(panel_row_y 4)"
e2e_wait_log '^GET /api/v1/devices/channelstream\?device=1&channel=102&' 1
e2e_click $FAVOURITE_TAB $TAB_Y
e2e_wait_log '^GET /api/v1/favorites\?$'
sleep 1.5
e2e_panel_open $OPEN_X 0
e2e_click $NAME_X "$(panel_row_y 1)"
e2e_wait_log '^GET /api/v1/devices/channelstream\?device=1&channel=101&' 2
sleep 3
e2e_screenshot_drawn picks

expect_drag_swaps first
# Cell 0, pressed for the drag, is current and shows 102 now: the docked panel steers it.
# shellcheck disable=SC2086
xdotool mousemove --sync $((E2E_X + ${ZOOM_IN% *})) $((E2E_Y + ${ZOOM_IN#* })) mousedown 1
sleep 0.3
xdotool mouseup 1
e2e_wait_log '^GET /api/v1/ptzcontrol\?' 2
ptz_wrong=$(e2e_server_log | grep '^GET /api/v1/ptzcontrol?' | grep -cv 'device=1&channel=102&' || true)
[ "$ptz_wrong" = 0 ] || e2e_fail "PTZ commands for another channel: $(e2e_server_log | grep ptzcontrol)"
# A drag ends whole: the next one swaps the two back.
expect_drag_swaps second

# The group carousel over 16 online channels in the 16-cell layout.
e2e_click "$(layout_button_x 4)" $STRIP_Y
sleep 1
e2e_click $GROUP_TAB $TAB_Y
sleep 1.5
tokens=$(count '^GET /api/v1/gettoken')
streams=$(count '^GET /api/v1/devices/channelstream\?')
e2e_click $PLAY_X "$(panel_row_y 0)"
e2e_wait_log '^GET /api/v1/own/label/channels\?labelid=9$' 1
ids=$(seq -s, 9001 9016)
e2e_wait_log "^GET /api/v2/channels\\?channels=$ids\$" 1
e2e_wait_log '^GET /api/v1/gettoken' $((tokens + 16))
e2e_wait_log '^GET /api/v1/devices/channelstream\?' $((streams + 16))
sleep 6
[ "$(count '^GET /api/v1/own/label/channels')" = 1 ] || e2e_fail "more than one group query"
[ "$(count '^GET /api/v2/channels')" = 1 ] || e2e_fail "more than one channel list"
for cell in $(seq 0 15); do
  # shellcheck disable=SC2086
  e2e_screenshot_colour "group16-$cell" "the group's picture in cell $cell" "$(cell_x "$cell" 4)" "$(cell_y "$cell" 4)" \
    $E2E_STILL_H264
done

# "一键关闭": one stop per tile.
stops=$(count '^GET /api/v1/devices/stopchannelstream')
e2e_click $CLOSE_ALL_X $STRIP_Y
e2e_wait_log '^GET /api/v1/devices/stopchannelstream' $((stops + 144))

# "PTZ面板" hides the docked panel and shows it again.
e2e_screenshot_drawn ptz_shown
e2e_click $PTZ_PANEL_X $STRIP_Y
sleep 1
# shellcheck disable=SC2086
e2e_screenshot_changed ptz_shown ptz_hidden "the PTZ panel to hide" $PTZ_AREA
e2e_click $PTZ_PANEL_X $STRIP_Y
sleep 1
# shellcheck disable=SC2086
e2e_screenshot_same ptz_shown ptz_again "the PTZ panel to come back" $PTZ_AREA
e2e_expect_clean_log
e2e_note "passed"
