#!/usr/bin/env bash
# The side panel as an operator meets it on the real-time view: each tab, a group and one
# of its devices opened (each asks the server), a channel hovered (details box and link
# left of the panel), a channel of each tab played in the layout, a favourite removed and
# added back, the device tab again, and the panel folded.
# Usage (under an X server): tst_sidepanel.sh BIN_DIR
. "$(dirname "$0")/e2e-driver.sh"

# Points of the main window at scale 1 (1688 x 950). The panel: 320 wide at the right
# edge, its three tabs in the strip from 46 to 82, rows of 30 from 92 below it; a
# device's rows 28 further right than its group's; the star 14 from the right edge. The
# PTZ panel (300 high) under the side panel shortens it; its fold button is half way down.
DEVICE_TAB="1421 64"
GROUP_TAB="1528 64"
FAVOURITE_TAB="1635 64"
panel_row_y() { echo $((107 + 30 * $1)); }
SQUARE_X=1384
INNER_SQUARE_X=1412
TEXT_X=1520
STAR_X=1664
FOLD_BUTTON="1360 346"
REALTIME_ENTRY="30 447"
PANEL_BOX_AREA="1040 46 300 330"
PANEL_AREA="1368 82 320 300"

e2e_init "$1"
e2e_start_server
e2e_write_config 'Username=admin\n'
e2e_start_client
e2e_log_in
e2e_wait_log '^GET /api/v1/channels\?.*subset=34020000001310000103'
e2e_click $REALTIME_ENTRY
e2e_hover 800 600
sleep 1
e2e_screenshot_drawn devices 1368 82 320 300

# A channel of the device tree plays in the layout's current cell.
e2e_click $SQUARE_X "$(panel_row_y 0)"
sleep 0.5
e2e_click $TEXT_X "$(panel_row_y 1)"
e2e_wait_log '^GET /api/v1/gettoken\?channel=101$'
e2e_click $SQUARE_X "$(panel_row_y 0)"
sleep 0.5

# Groups: the tab loads them, a group its devices, a device its channels.
e2e_click $GROUP_TAB
e2e_wait_log '^GET /api/v1/labelchannel/info\?$'
e2e_hover 800 600
sleep 0.8
e2e_screenshot groups
e2e_changed devices groups $PANEL_AREA || e2e_fail "the group tab shows the device tree still"
e2e_click $SQUARE_X "$(panel_row_y 0)"
e2e_wait_log '^GET /api/v1/labelowninfo\?labelid=1$'
e2e_click $INNER_SQUARE_X "$(panel_row_y 1)"
e2e_wait_log '^GET /api/v1/labeldeviceowninfo\?labelid=1&deviceid=1$'
e2e_hover 800 600
sleep 0.8
e2e_screenshot groups-open
e2e_hover $TEXT_X "$(panel_row_y 3)"
sleep 0.8
e2e_screenshot groups-hover
e2e_changed groups-open groups-hover $PANEL_BOX_AREA || e2e_fail "no details box for a group channel"
e2e_click $TEXT_X "$(panel_row_y 3)"
e2e_wait_log '^GET /api/v1/gettoken\?channel=102$'
# The device bar hands its channels to the page: the panel asks for them.
e2e_click $TEXT_X "$(panel_row_y 1)"
e2e_wait_log '^GET /api/v1/labeldeviceowninfo\?labelid=1&deviceid=1$' 2
# Every click on the tab loads the groups again, closed.
e2e_click $GROUP_TAB
e2e_wait_log '^GET /api/v1/labelchannel/info\?$' 2

# Favourites: a device opened, its first channel's star taken back and set again.
e2e_click $FAVOURITE_TAB
e2e_wait_log '^GET /api/v1/favorites\?$'
sleep 1
e2e_click $SQUARE_X "$(panel_row_y 0)"
e2e_hover 800 600
sleep 0.8
e2e_screenshot favourites-open
e2e_click $STAR_X "$(panel_row_y 1)"
e2e_wait_log '^GET /api/v1/deletefavoriteschannel\?device=1&channel=101$'
e2e_hover 800 600
sleep 0.5
e2e_screenshot favourite-removed
e2e_changed favourites-open favourite-removed $PANEL_AREA || e2e_fail "the star did not turn grey"
e2e_click $STAR_X "$(panel_row_y 1)"
e2e_wait_log '^GET /api/v1/addfavoriteschannel\?device=1&channel=101$'
e2e_click $TEXT_X "$(panel_row_y 2)"
e2e_wait_log '^GET /api/v1/gettoken\?channel=103$'
e2e_hover 800 600
sleep 3
e2e_screenshot playing

# Back to the devices, then folded.
e2e_click $DEVICE_TAB
e2e_hover 800 600
sleep 0.8
e2e_screenshot devices-again
e2e_click $FOLD_BUTTON
e2e_hover 800 600
sleep 1
e2e_screenshot panel-folded
e2e_changed devices-again panel-folded $PANEL_AREA || e2e_fail "the panel did not fold"

e2e_click $((E2E_W - 16)) 25
e2e_wait_log '^POST /api/v1/logout'
e2e_wait_exit
[ "$E2E_EXIT_CODE" = 0 ] || e2e_fail "the client ended with $E2E_EXIT_CODE"
e2e_expect_clean_log
e2e_note "passed"
