# The client windows' layout and the steps built on it, for the end-to-end scripts
# (e2e-driver.sh sources this file). Points are relative to a window's top-left corner;
# those of the main window are at scale 1 (1688 x 950).
#
#   e2e_log_in [USER PASSWORD]  types admin / admin123 (or USER PASSWORD) into the login
#                               window, clicks its login button and waits for the main
#                               window, which becomes the current window
#   e2e_start_logged_in [--config LINES] [SERVER_ARGS]
#                               after e2e_init: the test server, config.ini with LINES
#                               (the user name admin by default), the client, the login,
#                               and the home tree's channels loaded
#   e2e_open_page ENTRY         clicks the menu entry ENTRY ($MENU_HOME .. $MENU_ALARM)
#   e2e_panel_open X ROW        clicks the open square at X of the side panel's row ROW,
#                               waits for the first child row to show
#   e2e_panel_pick_first_channel
#                               opens the side panel's first device and clicks its
#                               first channel
#   $RECORD_DAY, $NO_CLOUD_RECORDS_TODAY
#                               a day of this month with cloud records in the seeded data
#                               that is not today (the 8th, or the 9th on the 8th), and the
#                               e2e_seed_data edit that leaves today without them: only a
#                               pick of a day then shows records, on any date
#   e2e_pick_calendar_day DAY   double-clicks day DAY of this month in the record page's
#                               open calendar
#   e2e_close_main_window       the close button: the logout reaches the server, the
#                               client ends with 0
#   e2e_close_and_pass          e2e_close_main_window, then a clean client output, "passed"

# Both windows carry the server's title.
WINDOW_TITLE='Zelka视频监控平台\(测试\)'

# The 1040 x 600 login window: the form's rows and its button.
LOGIN_W=1040 LOGIN_H=600
LOGIN_USERNAME_FIELD="777 235"
LOGIN_PASSWORD_FIELD="777 302"
LOGIN_BUTTON="692 417"

MAIN_W=1688 MAIN_H=950

# The title bar's buttons, 32 wide from the right edge: 0 close, 1 full screen.
TITLE_BUTTON_Y=25
title_button_x() { echo $((E2E_W - 16 - 32 * $1)); }

# The menu: entries 56 apart down the left edge.
MENU_X=30
menu_entry_y() { echo $((335 + 56 * $1)); }
MENU_HOME=0 MENU_VIDEO_SQUARE=1 MENU_REALTIME=2 MENU_MAP=3 MENU_RECORD=4 MENU_ALARM=5

# The home page's device tree: the expand square and the text of its row k, the star at
# the right end of a row.
home_row_y() { echo $((120 + 30 * $1)); }
HOME_SQUARE_X=53
HOME_TEXT_X=162
HOME_STAR_X=353

# The side panel: 320 wide at the right edge, its three tabs in the strip from 46 to 82,
# tree rows of 30 from 92 below it, a row one level down 28 further right. Its details box
# shows left of it.
PANEL_DEVICE_TAB="1421 64"
PANEL_GROUP_TAB="1528 64"
PANEL_FAVOURITE_TAB="1635 64"
panel_row_y() { echo $((107 + 30 * $1)); }
PANEL_SQUARE_X=1384
PANEL_INNER_SQUARE_X=$((PANEL_SQUARE_X + 28))
PANEL_TEXT_X=1480
PANEL_AREA="1368 82 320 300"
PANEL_BOX_AREA="1040 46 300 330"

# The real-time view's strip at the bottom left: layout buttons 32 wide, 8 apart, then the
# command buttons 100 wide ("轮播", "一键关闭", "PTZ面板").
STRIP_Y=929
layout_button_x() { echo $((21 + 40 * $1)); }
CAROUSEL_X=455
CLOSE_ALL_X=563
PTZ_PANEL_X=671

# The record page's top bar: the date box, the view switch and the device type tab. The
# calendar opens under the date box, 360 wide at x 10, its grid of 7 columns and 30 high
# rows below the month and weekday lines; the week starts on the locale's first day
# (scripts run the client in the C locale: Monday).
RECORD_DATE_BOX="100 65"
RECORD_VIEW_SWITCH="270 65"
RECORD_DEVICE_TAB="1318 65"
day_x() { echo $((10 + 360 * $1 / 7 + 26)); }
day_y() { echo $((162 + 30 * $1)); }
RECORD_DAY=8
[ "$(date +%-d)" != 8 ] || RECORD_DAY=9
NO_CLOUD_RECORDS_TODAY="data['Records']['CloudDays'] = [day for day in data['Records']['CloudDays'] if day != $(date +%-d)]"

# A point of the login form in a window that a small screen bounded below 1040 x 600: the
# form stays centred in the right half (the adverts fill the left) and in the height.
login_point() {
  awk -v x="$1" -v y="$2" -v w="$E2E_W" -v h="$E2E_H" -v s="$E2E_SCALE" -v lw=$LOGIN_W -v lh=$LOGIN_H \
    'BEGIN { print x + (w / s - lw) * 3 / 4, y + (h / s - lh) / 2 }'
}

e2e_log_in() {
  e2e_wait_window "$WINDOW_TITLE"
  # shellcheck disable=SC2046,SC2086
  e2e_click $(login_point $LOGIN_USERNAME_FIELD)
  e2e_key ctrl+a
  e2e_type "${1:-admin}"
  # shellcheck disable=SC2046,SC2086
  e2e_click $(login_point $LOGIN_PASSWORD_FIELD)
  e2e_type "${2:-admin123}"
  # shellcheck disable=SC2046,SC2086
  e2e_click $(login_point $LOGIN_BUTTON)
  e2e_wait_window --new "$WINDOW_TITLE"
  e2e_wait_only_window
}

e2e_start_logged_in() {
  local config='Username=admin\n'
  if [ "${1:-}" = --config ]; then
    config=$2
    shift 2
  fi
  e2e_start_server "$@"
  e2e_write_config "$config"
  e2e_start_client
  e2e_log_in
  e2e_wait_log '^GET /api/v1/channels\?.*subset=34020000001310000103'
}

e2e_open_page() {
  e2e_click $MENU_X "$(menu_entry_y "$1")"
}

# The number of colours on the middle line of the home tree's row N, from x 70 to 300
# (right of the square, left of the star and of the details box's link), in the
# screenshot NAME: a row without text shows the flat ground, one colour.
home_row_colours() {
  convert "$E2E_OUTPUT/$1.png" -crop "230x1+$((E2E_X + 70))+$((E2E_Y + $(home_row_y "$2")))" +repage \
    -format '%k' info:
}

# Opens the home tree's first device and picks its first channel. Each click waits until
# the screen shows what it hits: the device row drawn (rows are built after the device
# list's last reply), then the opened channel row, which grows into view in 220 ms behind
# a clip that keeps the pointer from it until then.
e2e_home_pick_first_channel() {
  device_drawn() {
    e2e_screenshot home-tree-closed >/dev/null
    [ "$(home_row_colours home-tree-closed 0)" -gt 1 ]
  }
  e2e_until "the home tree's first device row" device_drawn
  e2e_click $HOME_SQUARE_X "$(home_row_y 0)"
  local shots=0
  channel_shown() {
    shots=$((shots + 1))
    e2e_screenshot "home-tree-open-$((shots % 2))" >/dev/null
    [ "$shots" -ge 2 ] || return 1
    # Changed from the closed tree, and the same in two shots: the row stopped growing.
    e2e_changed home-tree-closed home-tree-open-0 70 "$(home_row_y 1)" 230 1 &&
      ! e2e_changed home-tree-open-0 home-tree-open-1 70 "$(home_row_y 1)" 230 1
  }
  e2e_until "the first channel row of the opened device" channel_shown
  e2e_click $HOME_TEXT_X "$(home_row_y 1)"
}

# Clicks the open square at X of the side panel's row ROW and waits until the row below
# has changed (the first child took its place) and stopped growing.
e2e_panel_open() {
  local x=$1 row=$2 shots=0
  local row_line="$((PANEL_SQUARE_X + 16)) $(panel_row_y $((row + 1))) 250 1"
  e2e_screenshot panel-closed >/dev/null
  e2e_click "$x" "$(panel_row_y "$row")"
  child_row_shown() {
    shots=$((shots + 1))
    e2e_screenshot "panel-open-$((shots % 2))" >/dev/null
    [ "$shots" -ge 2 ] || return 1
    # shellcheck disable=SC2086
    e2e_changed panel-closed panel-open-0 $row_line && ! e2e_changed panel-open-0 panel-open-1 $row_line
  }
  e2e_until "the first child of the side panel's row $row" child_row_shown
}

# Opens the side panel's first device and clicks its first channel once it shows.
e2e_panel_pick_first_channel() {
  e2e_panel_open $PANEL_SQUARE_X 0
  e2e_click $PANEL_TEXT_X "$(panel_row_y 1)"
}

e2e_pick_calendar_day() {
  local first cell
  first=$(($(date -d "$(date +%Y-%m-01)" +%u) - 1))
  cell=$((first + $1 - 1))
  e2e_double_click "$(day_x $((cell % 7)))" "$(day_y $((cell / 7)))"
}

e2e_close_main_window() {
  e2e_click "$(title_button_x 0)" $TITLE_BUTTON_Y
  e2e_wait_log '^POST /api/v1/logout'
  e2e_wait_exit
  [ "$E2E_EXIT_CODE" = 0 ] || e2e_fail "the client ended with $E2E_EXIT_CODE"
}

e2e_close_and_pass() {
  e2e_close_main_window
  e2e_expect_clean_log
  e2e_note "passed"
}

# The record time line of the time axis view at the default window size: record bars from
# y 860 to 885; unzoomed, the ruler is the strip, 1313 wide from x 15, the whole day in 1312
# pixels (ticks closer than their width run together). ruler_x SECONDS gives a time's x.
BAR_Y=872
ruler_x() { echo $((15 + $1 * 1312 / 86400)); }
