#!/usr/bin/env bash
# The device trees as an operator meets them: the home page's tree after login, a
# device opened, a channel hovered (details box and link), its star set and cleared on
# the server; the video square's side panel with the same tree, its box to the left,
# folded.
# Usage (under an X server): tst_devicetree.sh BIN_DIR
. "$(dirname "$0")/e2e-driver.sh"

# Points of the main window at scale 1 (1688 x 950): the side panel's fold button left of
# it, where the home tree's details box shows.
FOLD_BUTTON="1360 498"
HOME_BOX_AREA="400 46 300 330"

e2e_init "$1"
e2e_start_logged_in --no-rtsp
sleep 1
e2e_screenshot_drawn home-tree 25 93 330 120

# A device opens; a hovered channel shows its details beside the tree.
e2e_click $HOME_SQUARE_X "$(home_row_y 0)"
e2e_hover 800 600
sleep 0.8
e2e_screenshot home-open
e2e_hover $HOME_TEXT_X "$(home_row_y 2)"
sleep 0.8
e2e_screenshot home-hover
e2e_expect_changed home-open home-hover "the details box beside the home tree" $HOME_BOX_AREA

# The star asks the server, and asks again to take it back.
e2e_click $HOME_STAR_X "$(home_row_y 2)"
e2e_wait_log '^GET /api/v1/addfavoriteschannel\?device=1&channel=102$'
sleep 0.5
e2e_screenshot home-starred
e2e_click $HOME_STAR_X "$(home_row_y 2)"
e2e_wait_log '^GET /api/v1/deletefavoriteschannel\?device=1&channel=102$'

# The video square's side panel holds the same tree, its box to the left.
e2e_open_page $MENU_VIDEO_SQUARE
e2e_hover 800 600
sleep 1
e2e_screenshot videosquare
e2e_expect_changed home-starred videosquare "the side panel on the video square" $PANEL_AREA
e2e_panel_open $PANEL_SQUARE_X 0
e2e_hover 800 600
sleep 0.8
e2e_screenshot panel-open
e2e_hover $PANEL_TEXT_X "$(panel_row_y 2)"
e2e_screenshot_changed panel-open panel-hover "the details box left of the side panel" $PANEL_BOX_AREA

# Folded, the panel leaves the page to the square.
e2e_click $FOLD_BUTTON
e2e_hover 800 600
sleep 1
e2e_screenshot panel-folded
e2e_expect_changed panel-open panel-folded "the panel to fold" $PANEL_AREA

e2e_close_and_pass
