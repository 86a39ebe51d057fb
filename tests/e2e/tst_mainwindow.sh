#!/usr/bin/env bash
# The main window as an operator meets it: title, menu, clock and nick name after the
# login; a menu click changes the page; full screen and back; the user menu; the close
# button logs out and ends the client.
# Usage (under an X server): tst_mainwindow.sh BIN_DIR
. "$(dirname "$0")/e2e-driver.sh"

# The middle of the page, where each page stand-in shows its name.
PAGE_NAME="600 380 488 120"

e2e_init "$1"
e2e_start_logged_in --no-rtsp
[ "$E2E_W" = $MAIN_W ] && [ "$E2E_H" = $MAIN_H ] || e2e_fail "main window is ${E2E_W}x${E2E_H}"
NORMAL="$E2E_X $E2E_Y $E2E_W $E2E_H"
e2e_wait_log '^GET /api/v1/devices\?start=0&limit=9999$'
e2e_wait_log '^GET /api/v1/getuserinfo'
# The clock's first tick and the nick name have arrived.
sleep 1.5
e2e_wait_still main "the home page at rest" $PAGE_NAME

# The video square replaces the home page.
e2e_open_page $MENU_VIDEO_SQUARE
e2e_wait_still videosquare "the video square at rest" $PAGE_NAME
e2e_expect_changed main videosquare "the page to change" $PAGE_NAME
e2e_open_page $MENU_ALARM
sleep 1
e2e_screenshot_drawn alarmquery
e2e_expect_changed videosquare alarmquery "the page to change again" $PAGE_NAME

# Full screen covers the screen and one pixel more; the second click restores.
read -r SCREEN_W SCREEN_H < <(xdotool getdisplaygeometry)
e2e_click "$(title_button_x 1)" $TITLE_BUTTON_Y
e2e_wait_geometry 0 0 $((SCREEN_W + 1)) $((SCREEN_H + 1))
e2e_screenshot_drawn fullscreen
e2e_click "$(title_button_x 1)" $TITLE_BUTTON_Y
e2e_wait_geometry $NORMAL

# The user menu opens 71 below the window's top under the name, and fades out when
# the main window takes the pointer's click.
e2e_hover $((E2E_W - 157)) 25
e2e_click $((E2E_W - 157)) 25
e2e_other_window
[ "$E2E_OTHER_W" = 140 ] && [ "$E2E_OTHER_H" = 160 ] || e2e_fail "user menu is ${E2E_OTHER_W}x${E2E_OTHER_H}"
[ "$E2E_OTHER_Y" = $((E2E_Y + 71)) ] || e2e_fail "user menu at y $E2E_OTHER_Y"
xdotool mousemove --sync $((E2E_OTHER_X + 70)) $((E2E_OTHER_Y + 75))
sleep 0.6
e2e_screenshot usermenu
e2e_click 800 600
e2e_wait_only_window

# Close: the server is told, the window fades out and the client ends with 0.
closed_at=$(date +%s%N)
e2e_close_main_window
took_ms=$(( ($(date +%s%N) - closed_at) / 1000000 ))
e2e_note "closed in $took_ms ms"
# The fade and the shutdown take about a second on an idle machine and several on a loaded
# one: the bound only catches a close that hangs.
[ "$took_ms" -lt 20000 ] || e2e_fail "closing took $took_ms ms"
[ "$(e2e_server_log | grep -c '^POST /api/v1/logout')" = 1 ] || e2e_fail "more than one logout"
e2e_expect_clean_log
e2e_note "passed"
