#!/usr/bin/env bash
# The main window on a screen other than the usual 1920 x 1080 at 100 %: a scaled one
# (QT_SCALE_FACTOR standing in for the desktop's scale) or a small one. The login and main
# windows lie inside the screen, a menu entry switches the page, full screen and back by
# its button, and the close button logs out and ends the client.
# Usage (under an X server, QT_SCALE_FACTOR set or not): screens.sh BIN_DIR RATIO [--survey]
#   RATIO is the client's scale ratio on that screen (its logical size's class);
#   --survey also visits every page and opens a popup, keeping a screenshot of each
#   (for a look, not checked).
. "$(dirname "$0")/e2e-driver.sh"

RATIO=$2
SURVEY=${3:-}

# A length of the main window's layout at scale 1, in the window's logical pixels.
scaled() {
  awk -v v="$1" -v r="$RATIO" 'BEGIN { printf "%.1f\n", v * r }'
}

# The window's logical size (the screen's pixels over the scale factor).
logical() {
  awk -v v="$1" -v s="${QT_SCALE_FACTOR:-1}" 'BEGIN { printf "%d\n", v / s + 0.5 }'
}

expect_inside_screen() {
  local what=$1
  read -r SCREEN_W SCREEN_H < <(xdotool getdisplaygeometry)
  e2e_refresh_geometry
  e2e_note "$what at ${E2E_X},${E2E_Y} ${E2E_W}x${E2E_H} on ${SCREEN_W}x${SCREEN_H}"
  [ "$E2E_X" -ge 0 ] && [ "$E2E_Y" -ge 0 ] && [ $((E2E_X + E2E_W)) -le "$SCREEN_W" ] &&
    [ $((E2E_Y + E2E_H)) -le "$SCREEN_H" ] || e2e_fail "$what is not inside the screen"
}

# The title bar's buttons, 32 wide from the right edge (0 close, 1 full screen), and the
# menu's entries, 56 apart about the window's middle: from the window's current size.
title_button() {
  echo "$(awk -v w="$(logical "$E2E_W")" -v k="$1" -v r="$RATIO" 'BEGIN { print w - (16 + 32 * k) * r }') $(scaled 25)"
}
menu_entry() {
  echo "$(scaled 30) $(awk -v h="$(logical "$E2E_H")" -v k="$1" -v r="$RATIO" 'BEGIN { print h / 2 + (56 * k - 140) * r }')"
}

# Pointer away from menus and tool bars, then a screenshot of the page at rest.
survey_shot() {
  e2e_hover "$(scaled 30)" "$(logical "$E2E_H" | awk '{ print $1 - 20 }')"
  sleep "${2:-2}"
  e2e_screenshot_drawn "$1"
}

e2e_init "$1"
e2e_start_server
e2e_write_config 'Username=admin\n'
e2e_start_client
e2e_wait_window "$WINDOW_TITLE"
expect_inside_screen "the login window"
[ -z "$SURVEY" ] || e2e_screenshot_drawn login
e2e_log_in
e2e_wait_log '^GET /api/v1/channels\?.*subset=34020000001310000103'
expect_inside_screen "the main window"
NORMAL="$E2E_X $E2E_Y $E2E_W $E2E_H"
[ -z "$SURVEY" ] || survey_shot home 3

# The alarm page asks for its first page once shown (the home page's latest alarms asked
# the same once before).
alarm_list='^GET /api/v1/alarmlist\?pageindex=0&pagesize=10&priority=0&method=0$'
before=$(e2e_server_log | grep -Ec -- "$alarm_list" || true)
# shellcheck disable=SC2046
e2e_click $(menu_entry $MENU_ALARM)
e2e_wait_log "$alarm_list" $((before + 1))
[ -z "$SURVEY" ] || survey_shot alarms

if [ -n "$SURVEY" ]; then
  for page in VIDEO_SQUARE REALTIME RECORD MAP; do
    entry=MENU_$page
    # shellcheck disable=SC2046
    e2e_click $(menu_entry ${!entry})
    survey_shot "$(echo "$page" | tr '[:upper:]' '[:lower:]')" 3
  done
  # The record page's time line view.
  # shellcheck disable=SC2046
  e2e_click $(menu_entry $MENU_RECORD)
  sleep 1
  e2e_click "$(scaled 270)" "$(scaled 65)"
  survey_shot records-timeline
  # The real-time view in nine cells, its carousel popup, and the carousel of every online
  # channel playing in the cells: points of the strip at the bottom and of the popup
  # (800 x 600 at scale 1) in the window's middle.
  # shellcheck disable=SC2046
  e2e_click $(menu_entry $MENU_REALTIME)
  sleep 1
  strip_y=$(logical "$E2E_H" | awk -v r="$RATIO" '{ print $1 - 21 * r }')
  e2e_click "$(scaled 141)" "$strip_y"
  e2e_click "$(scaled 455)" "$strip_y"
  sleep 1.5
  e2e_screenshot_drawn carousel-popup
  from_middle() {
    awk -v w="$(logical "$E2E_W")" -v h="$(logical "$E2E_H")" -v x="$1" -v y="$2" -v r="$RATIO" \
      'BEGIN { print w / 2 + x * r, h / 2 + y * r }'
  }
  # shellcheck disable=SC2046
  e2e_click $(from_middle -359 -209)
  sleep 0.5
  # shellcheck disable=SC2046
  e2e_click $(from_middle 299 262)
  e2e_wait_log '^GET /api/v1/devices/channelstream\?' 6
  survey_shot realtime-tiles 5
fi

# Full screen covers the screen (and a pixel more); the button, now at the screen's right
# edge, restores the window.
read -r SCREEN_W SCREEN_H < <(xdotool getdisplaygeometry)
# shellcheck disable=SC2046
e2e_click $(title_button 1)
full_screen() {
  e2e_refresh_geometry
  [ "$E2E_X" = 0 ] && [ "$E2E_Y" = 0 ] && [ "$E2E_W" -gt "$SCREEN_W" ] && [ "$E2E_H" -gt "$SCREEN_H" ] &&
    [ "$E2E_W" -le $((SCREEN_W + 2)) ] && [ "$E2E_H" -le $((SCREEN_H + 2)) ]
}
e2e_until "the window to fill the screen (now $E2E_X $E2E_Y $E2E_W $E2E_H)" full_screen
[ -z "$SURVEY" ] || survey_shot fullscreen
# shellcheck disable=SC2046
e2e_click $(title_button 1)
# shellcheck disable=SC2086
e2e_wait_geometry $NORMAL

# shellcheck disable=SC2046
e2e_click $(title_button 0)
e2e_wait_log '^POST /api/v1/logout'
e2e_wait_exit
[ "$E2E_EXIT_CODE" = 0 ] || e2e_fail "the client ended with $E2E_EXIT_CODE"
e2e_expect_clean_log
e2e_note "passed"
