#!/usr/bin/env bash
# The alarm playback and the main window's full screen among a window manager's rules, on a
# desk of two monitors (A 1920 x 1080, the primary, B 1600 x 900 right of it): the playback
# stays above the main window at every click on the main window, in normal and in full
# screen, and a second alarm's play brings it to the front with the new clip; full screen
# covers exactly the monitor the main window is on, above the desktop's panel, and gives
# back the exact old geometry.
# Usage (under Xvfb -noreset -screen 0 3520x1080x24): wmstacking.sh BIN_DIR WM
#   WM: openbox or icewm (whose task bar lies along A's bottom)
. "$(dirname "$0")/e2e-driver.sh"
. "$(dirname "$0")/e2e-desk.sh"

WM=$2
# Points of the main window at scale 1 (1688 x 950; in full screen they scale with it): the
# home page's latest alarms, the play triangles of the first two rows; where a hand clicks
# around the playback: under the title, the device list, the status rings, the charts and
# their legends.
PLAY_X=1484 PLAY_Y=195 ALARM_ROW_STEP=264
CLICKS=("844 45" "211 274" "127 369" "116 506" "285 506" "169 802" "633 780" "1097 780" "633 886" "1097 886")

add_monitor A 1920 1080 0 0
add_monitor B 1600 900 1920 0
e2e_init "$1"
# The desk as the window manager alone shows it, for its panel.
e2e_start_wm "$WM"
sleep 1
e2e_screenshot desk-only
e2e_start_server
e2e_write_config $'Username=admin\n'
e2e_start_client
e2e_log_in
MAIN=$E2E_WINDOW
settle "$(date +%s%N)"
e2e_wait_log '^GET /snap/alarm/23\.'
sleep 1

use_main() {
  E2E_WINDOW=$MAIN
  e2e_refresh_geometry
}

# Top to bottom position of a client window in the window manager's stacking order.
stacked_above() {
  local order
  order=$(xprop -root _NET_CLIENT_LIST_STACKING | sed 's/.*# //; s/,//g')
  local upper lower i=0 w
  for w in $order; do
    i=$((i + 1))
    [ "$((w))" = "$1" ] && upper=$i
    [ "$((w))" = "$2" ] && lower=$i
  done
  [ -n "${upper:-}" ] && [ -n "${lower:-}" ] && [ "$upper" -gt "$lower" ]
}

# The popup above the main window: by the window manager's stacking order, and on screen
# (its close button shows as it did when it opened).
expect_popup_above() {
  local what=$1
  above() { stacked_above "$POPUP" "$MAIN"; }
  e2e_until "the alarm playback above the main window ($what)" above
  use_popup
  # shellcheck disable=SC2086
  e2e_screenshot_same popup-opened popup-now "the alarm playback's close button in front ($what)" $POPUP_CLOSER
  use_main
}

use_popup() {
  E2E_WINDOW=$POPUP
  e2e_refresh_geometry
  POPUP_CLOSER="$((E2E_W - 40)) 10 32 28"
}

# A point of the main window given at scale 1, where it is at the window's size now.
main_point() {
  awk -v x="$1" -v y="$2" -v w="$E2E_W" -v h="$E2E_H" 'BEGIN { printf "%d %d\n", x * w / 1688, y * h / 950 }'
}

# The alarm list keeps its rows' height at any window size; its column follows the width.
play_alarm() {
  # shellcheck disable=SC2046
  e2e_click $(awk -v x="$PLAY_X" -v w="$E2E_W" 'BEGIN { printf "%d\n", x * w / 1688 }') "$1"
}

# The first alarm's playback, centred on the main window.
play_alarm $PLAY_Y
e2e_wait_window --new '.'
POPUP=$E2E_WINDOW
use_popup
# shellcheck disable=SC2086
e2e_wait_still popup-opened "the alarm playback faded in" $POPUP_CLOSER
transient=$(xprop -id "$POPUP" WM_TRANSIENT_FOR | sed -n 's/.*window id # //p')
[ "$((transient))" = "$MAIN" ] || e2e_fail "the alarm playback is not transient for the main window: $(xprop -id "$POPUP" WM_TRANSIENT_FOR)"
use_main

click_around() {
  local point
  for point in "${CLICKS[@]}"; do
    # shellcheck disable=SC2046,SC2086
    e2e_click $(main_point $point)
    sleep 0.2
  done
  expect_popup_above "$1"
}
click_around "normal"

# Full screen on A: exactly A, above the task bar; the popup stays above.
normal_box=$(window_box)
e2e_click "$(title_button_x 1)" $TITLE_BUTTON_Y
expect_box 0 0 1920 1080 "full screen on A"
# Drawn over A's bottom rows, where icewm's task bar lies: each pixel there differs from the
# desk alone (a window not drawn yet shows what was there before, the task bar included).
covers_bottom() {
  e2e_screenshot full-on-a >/dev/null
  local crop=1920x30+0+1050 differing
  differing=$(compare -fuzz 3% -metric AE "$E2E_OUTPUT/desk-only.png[$crop]" "$E2E_OUTPUT/full-on-a.png[$crop]" null: 2>&1) || true
  differing=${differing%% *}
  [ "${differing%.*}" -ge $((1920 * 30 * 98 / 100)) ]
}
e2e_until "the full screen drawn over A's bottom rows, with no task bar there" covers_bottom
click_around "full screen"

# The second alarm while the popup lies behind nothing: the new clip plays in it, in front.
clips=$(e2e_server_log | grep -cE '^GET /download/alarm/' || true)
play_alarm $((PLAY_Y + ALARM_ROW_STEP))
e2e_wait_log '^GET /download/alarm/' $((clips + 1))
expect_popup_above "after the second play"

e2e_click "$(title_button_x 1)" $TITLE_BUTTON_Y
# shellcheck disable=SC2086
expect_box $normal_box "the main window back from full screen"

# Full screen on B: exactly B, not one pixel on A; back at the exact old place.
move_to 2000 60 B
normal_box=$(window_box)
e2e_click "$(title_button_x 1)" $TITLE_BUTTON_Y
expect_box 1920 0 1600 900 "full screen on B"
e2e_screenshot_drawn full-on-b
e2e_click "$(title_button_x 1)" $TITLE_BUTTON_Y
# shellcheck disable=SC2086
expect_box $normal_box "the main window back from full screen on B"

e2e_expect_clean_log
e2e_note "passed"
