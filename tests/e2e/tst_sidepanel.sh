#!/usr/bin/env bash
# The side panel as an operator meets it on the real-time view: each tab, a group and one
# of its devices opened (each asks the server), a channel hovered (details box and link
# left of the panel), a channel of each tab played in the layout, a favourite removed and
# added back, the device tab again, and the panel folded.
# Usage (under an X server): tst_sidepanel.sh BIN_DIR
. "$(dirname "$0")/e2e-driver.sh"

# Points of the main window at scale 1 (1688 x 950). The side panel's text column far
# enough right for a channel two levels down; the star 14 from the right edge. The PTZ
# panel (300 high) under the side panel shortens it; its fold button is half way down.
TEXT_X=1520
STAR_X=1664
FOLD_BUTTON="1360 346"

e2e_init "$1"
# Channel 101 plays a still picture: the details box is drawn over it.
e2e_seed_data "$E2E_OUTPUT/still.json" 'channel(101)["_Stream"] = "h264-still"'
e2e_start_logged_in --data "$E2E_OUTPUT/still.json"
e2e_open_page $MENU_REALTIME
e2e_hover 800 600
e2e_wait_still devices "the page at rest" $PANEL_AREA

# A channel of the device tree plays in the layout's current cell.
e2e_panel_pick_first_channel
e2e_wait_log '^GET /api/v1/gettoken\?channel=101$'
e2e_click $PANEL_SQUARE_X "$(panel_row_y 0)"
sleep 0.5

# Groups: the tab loads them, a group its devices, a device its channels.
e2e_click $PANEL_GROUP_TAB
e2e_wait_log '^GET /api/v1/labelchannel/info\?$'
e2e_hover 800 600
sleep 0.8
e2e_screenshot_changed devices groups "the group tab in place of the device tree" $PANEL_AREA
# Each click waits for the rows the answer brings: a click before they are laid out
# lands on nothing.
e2e_panel_open $PANEL_SQUARE_X 0
e2e_wait_log '^GET /api/v1/labelowninfo\?labelid=1$'
e2e_panel_open $PANEL_INNER_SQUARE_X 1
e2e_wait_log '^GET /api/v1/labeldeviceowninfo\?labelid=1&deviceid=1$'
e2e_hover 800 600
sleep 0.8
e2e_screenshot_colour groups-open "channel 101's picture where the details box shows" 1190 200 $E2E_STILL_H264
e2e_hover $TEXT_X "$(panel_row_y 3)"
sleep 0.8
e2e_screenshot_changed groups-open groups-hover "the details box of a group channel" $PANEL_BOX_AREA
e2e_click $TEXT_X "$(panel_row_y 3)"
e2e_wait_log '^GET /api/v1/gettoken\?channel=102$'
# The device bar hands its channels to the page: the panel asks for them.
e2e_click $TEXT_X "$(panel_row_y 1)"
e2e_wait_log '^GET /api/v1/labeldeviceowninfo\?labelid=1&deviceid=1$' 2
# Every click on the tab loads the groups again, closed.
e2e_click $PANEL_GROUP_TAB
e2e_wait_log '^GET /api/v1/labelchannel/info\?$' 2

# Favourites: a device opened, its first channel's star taken back and set again.
e2e_click $PANEL_FAVOURITE_TAB
e2e_wait_log '^GET /api/v1/favorites\?$'
e2e_hover 800 600
e2e_wait_still favourites "the favourite tab to settle" $PANEL_AREA
e2e_panel_open $PANEL_SQUARE_X 0
e2e_hover 800 600
sleep 0.8
e2e_screenshot favourites-open
e2e_click $STAR_X "$(panel_row_y 1)"
e2e_wait_log '^GET /api/v1/deletefavoriteschannel\?device=1&channel=101$'
e2e_hover 800 600
sleep 0.5
e2e_screenshot_changed favourites-open favourite-removed "the star to turn grey" $PANEL_AREA
e2e_click $STAR_X "$(panel_row_y 1)"
e2e_wait_log '^GET /api/v1/addfavoriteschannel\?device=1&channel=101$'
e2e_click $TEXT_X "$(panel_row_y 2)"
e2e_wait_log '^GET /api/v1/gettoken\?channel=103$'
e2e_hover 800 600
sleep 3
e2e_screenshot playing

# Back to the devices, then folded.
e2e_click $PANEL_DEVICE_TAB
e2e_hover 800 600
e2e_wait_still devices-again "the device tab at rest" $PANEL_AREA
e2e_click $FOLD_BUTTON
e2e_hover 800 600
sleep 1
e2e_screenshot_changed devices-again panel-folded "the panel to fold" $PANEL_AREA

e2e_close_and_pass
