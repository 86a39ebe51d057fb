#!/usr/bin/env bash
# The camera tile as an operator meets it on the home page: a channel clicked in the
# tree plays in the first tile of the camera wall (the picture moves), hovering shows the
# statistics label, the joystick of the PTZ overlay steers the camera, a second channel
# replaces the first on the server once the first tile is pressed again.
# Usage (under an X server): tst_cameratile.sh BIN_DIR
. "$(dirname "$0")/e2e-driver.sh"

# Points of the main window at scale 1 (1688 x 950). The home tree: the expand square
# and the text of its row k. The wall's first tile: 411..843 x 96..354.
home_row_y() { echo $((120 + 30 * $1)); }
HOME_SQUARE_X=53
HOME_TEXT_X=162
TILE_CENTRE="627 200"
# The tile's picture: its overlays hide while it is not hovered.
PICTURE_AREA="415 100 425 250"
# The statistics label at the tile's bottom left, the joystick at its bottom right.
LABEL_AREA="415 270 250 80"
JOYSTICK_CENTRE="800 291"
JOYSTICK_REACH=20

e2e_init "$1"
e2e_start_server
e2e_write_config 'Username=admin\n'
e2e_start_client
e2e_log_in
e2e_wait_log '^GET /api/v1/channels\?.*subset=34020000001310000103'
sleep 1

# Device 1 opens; its first channel (101) plays in the first tile.
e2e_click $HOME_SQUARE_X "$(home_row_y 0)"
e2e_click $HOME_TEXT_X "$(home_row_y 1)"
e2e_wait_log '^GET /api/v1/gettoken\?channel=101$'
e2e_wait_log '^GET /api/v1/devices/channelstream\?device=1&channel=101&protocol=RTSP&token='
# Away from the tile, so that its overlays hide and the picture alone changes.
e2e_hover 1500 900
sleep 4
e2e_screenshot playing-1
sleep 1.5
e2e_screenshot playing-2
e2e_changed playing-1 playing-2 $PICTURE_AREA || e2e_fail "the tile's picture does not move"

# Hovered, the tile shows its statistics label.
e2e_hover $TILE_CENTRE
sleep 1
e2e_screenshot hovered
e2e_changed playing-2 hovered $LABEL_AREA || e2e_fail "no statistics label on the hovered tile"

# A drag on the joystick steers: a start on press, a stop on release.
xdotool mousemove --sync $((E2E_X + ${JOYSTICK_CENTRE% *})) $((E2E_Y + ${JOYSTICK_CENTRE#* } - JOYSTICK_REACH))
xdotool mousedown 1
sleep 0.3
e2e_screenshot steering
xdotool mousemove --sync $((E2E_X + ${JOYSTICK_CENTRE% *} + JOYSTICK_REACH)) $((E2E_Y + ${JOYSTICK_CENTRE#* }))
sleep 0.3
xdotool mouseup 1
e2e_wait_log '^GET /api/v1/ptzcontrol\?device=1&channel=101&command=up&direction=up&speed=100$'
e2e_wait_log '^GET /api/v1/ptzcontrol\?device=1&channel=101&command=right&direction=right&speed=100$'
e2e_wait_log '^GET /api/v1/ptzcontrol\?device=1&channel=101&command=stop&direction=right&speed=100$'

# The next pick would go to the second tile: a press makes the first one current again,
# and the next channel (102) takes over there; the server hears the stop of the first.
e2e_click $TILE_CENTRE
e2e_click $HOME_TEXT_X "$(home_row_y 2)"
e2e_wait_log '^GET /api/v1/devices/stopchannelstream\?device=1&channel=101&stream_type=play$'
e2e_wait_log '^GET /api/v1/devices/channelstream\?device=1&channel=102&protocol=RTSP&token='
e2e_hover 1500 900
sleep 4
e2e_screenshot second-channel
e2e_changed playing-2 second-channel $PICTURE_AREA || e2e_fail "the second channel does not show"

e2e_click $((E2E_W - 16)) 25
e2e_wait_log '^POST /api/v1/logout'
e2e_wait_exit
[ "$E2E_EXIT_CODE" = 0 ] || e2e_fail "the client ended with $E2E_EXIT_CODE"
e2e_expect_clean_log
e2e_note "passed"
