#!/usr/bin/env bash
# The client on a desk of two monitors, as Qt's X11 platform sees them: RandR monitors
# set on one wide Xvfb screen (started with -noreset, which keeps the server up while
# xrandr changes them). Each monitor is a screen of its own; the main window is laid
# out for the one it is on (1688 x 950 on a 1920 x 1080 monitor, 1350 x 760 on the
# smaller ones) and must lie wholly inside it.
# Usage (under Xvfb -noreset, the screen as large as the desk):
#   monitors.sh BIN_DIR below|above|moves|popups WM_CLOSE [WM]
#   below:  a 1920 x 1080 monitor above the primary 1366 x 768 (277 from the left);
#   above:  the primary 1920 x 1080 above a 1366 x 768; in both the main window opens
#           wholly inside the primary, and a move that changes x and y together onto the
#           other monitor and back settles inside each, laid out for it;
#   moves:  the primary 1920 x 1080 left of a 1600 x 900: moves into the band along the
#           boundary (where the size on one monitor puts the window's centre on the
#           other) and out of it, a walk across the band in 10 px steps, the 1600 x 900
#           removed under the window and plugged in again;
#   popups: the same desk: the alarm playback reopened on its owner's monitor after the
#           owner moved and after the window manager's close (WM_CLOSE sends
#           WM_DELETE_WINDOW).
#   scaled: the primary 1920 x 1080 left of a 3840 x 2160, the desk at 192 dots per inch
#           (Xft.dpi; a logical pixel is two screen pixels): a move onto the large monitor
#           where the window fits lands exactly where it was put.
#   WM: the window manager that runs on the desk (openbox, icewm; none by default).
. "$(dirname "$0")/e2e-driver.sh"
. "$(dirname "$0")/e2e-desk.sh"

CASE=$2
WM_CLOSE=$3
WM=${4:-none}

# The scale ratio the main window's size stands for.
ratio_of_window() {
  [ "$E2E_W" = 1688 ] && echo 1 || echo 0.8
}

# The main window back as the current one.
use_main() {
  E2E_WINDOW=$MAIN
  e2e_refresh_geometry
}

case "$CASE" in
below)
  add_monitor P 1366 768 277 1080
  add_monitor U 1920 1080 0 0
  ;;
above)
  add_monitor P 1920 1080 0 0
  add_monitor L 1366 768 277 1080
  ;;
moves | popups)
  add_monitor A 1920 1080 0 0
  add_monitor B 1600 900 1920 0
  ;;
scaled)
  # At 200 % the small monitor is 960 x 540 logical: the window fits it at 540 / 950.
  add_monitor A 1920 1080 0 0 1918x1080
  add_monitor K 3840 2160 1920 0 3376x1900
  echo "Xft.dpi: 192" | xrdb -merge || e2e_fail "xrdb cannot set the desk's dots per inch"
  E2E_SCALE=2
  ;;
*)
  e2e_fail "no case \"$CASE\""
  ;;
esac
xrandr --listmonitors

e2e_start_on_desk "$1" "$WM"
[ "$(monitor_holding "$E2E_X" "$E2E_Y" "$E2E_W" "$E2E_H")" = "${MONITORS[0]%% *}" ] ||
  e2e_fail "the login window at $E2E_X,$E2E_Y ${E2E_W}x${E2E_H} is not inside the primary monitor"
e2e_log_in
e2e_wait_log '^GET /api/v1/channels\?.*subset=34020000001310000103'
MAIN=$E2E_WINDOW
started=$(date +%s%N)
settle "$started"
e2e_note "the main window opened at $E2E_X,$E2E_Y ${E2E_W}x${E2E_H} on $SETTLED_ON"
[ "$SETTLED_ON" = "${MONITORS[0]%% *}" ] || e2e_fail "the main window opened on $SETTLED_ON, not on the primary"
e2e_screenshot_drawn opened

case "$CASE" in
below | above)
  # Onto the other monitor with x and y changed together, and back.
  other=${MONITORS[1]%% *}
  read -r _ _ _ ox oy <<<"${MONITORS[1]}"
  move_to $((ox + 30)) $((oy + 40)) "$other"
  e2e_screenshot_drawn on-other
  read -r _ _ _ px py <<<"${MONITORS[0]}"
  move_to $((px + 20)) $((py + 20)) P
  e2e_screenshot_drawn back
  ;;

moves)
  # Side by side: into the band from the primary (its size there puts the centre on B, B's
  # size puts it back on A), x and y changed together, and out of it onto B.
  move_to 1150 60
  e2e_screenshot_drawn band-from-a
  move_to 1240 90
  move_to 2000 80 B
  e2e_screenshot_drawn on-b
  move_to 1160 70
  e2e_screenshot_drawn band-from-b

  # A walk across the band in 10 px steps, from B's side to A's: one change of monitor,
  # one new layout, however the steps fall.
  move_to 2000 80 B
  before=$(layouts)
  for x in $(seq 1260 -10 1060); do
    xdotool windowmove "$MAIN" "$x" 80
    sleep 0.3
  done
  settle "$(date +%s%N)"
  changes=$(($(layouts) - before))
  e2e_note "the walk ended at $E2E_X,$E2E_Y ${E2E_W}x${E2E_H} on $SETTLED_ON after $changes layout change(s)"
  [ "$SETTLED_ON" = A ] || e2e_fail "the walk ended on $SETTLED_ON"
  [ "$changes" -le 1 ] || e2e_fail "the walk laid the window out $changes times"

  # B unplugged while the main window is on it: the window comes back inside A, laid out
  # for A. Plugged in again: the window stays.
  move_to 2000 60 B
  remove_monitor B
  settle "$(date +%s%N)"
  [ "$SETTLED_ON" = A ] || e2e_fail "after B was removed the window is on $SETTLED_ON"
  e2e_screenshot_drawn b-removed
  kept="$E2E_X $E2E_Y $E2E_W $E2E_H"
  add_monitor B 1600 900 1920 0
  sleep 2
  e2e_refresh_geometry
  [ "$E2E_X $E2E_Y $E2E_W $E2E_H" = "$kept" ] || e2e_fail "B plugged in again moved the window to $E2E_X,$E2E_Y ${E2E_W}x${E2E_H}"
  move_to 2100 100 B
  ;;
scaled)
  # Put by the window manager where it fits on K: exactly there, also coming from A (read
  # through A's scale before Qt notices the new screen, it landed 180 px left of it).
  for point in "2100 100" "2200 40" "1940 50"; do
    read -r px py <<<"$point"
    move_to "$px" "$py" K
    [ "$E2E_X $E2E_Y" = "$px $py" ] || e2e_fail "moved to $px,$py, the window rests at $E2E_X,$E2E_Y"
    move_to 2 0 A
  done
  # Grown on K, the part the window gains shows the page's colour until the page is drawn
  # there, not the white of the window manager's frame behind it (a third of a second and
  # more, 8 frames or more): filmed, a patch of it (screen 4100,1300 650 x 325 logical)
  # from before the move until well after. openbox grows its frame before the window, a
  # frame's time at most.
  # shellcheck disable=SC2046
  e2e_record grow-on-k 5 $(((4100 - E2E_X) / 2)) $(((1300 - E2E_Y) / 2)) 650 325
  move_to 2100 100 K
  e2e_record_wait
  white_frames=()
  for frame in "$E2E_OUTPUT"/grow-on-k/*.png; do
    white=$(convert "$frame" -colorspace gray -threshold 92% -format "%[fx:int(mean*100)]" info:)
    [ "$white" -lt 50 ] || white_frames+=("$(basename "$frame")")
  done
  [ ${#white_frames[@]} -le 2 ] ||
    e2e_fail "the window grown on K shows white in ${#white_frames[@]} frames: ${white_frames[*]} (in $E2E_OUTPUT/grow-on-k)"
  move_to 2 0 A
  move_to 2500 300 K
  [ "$E2E_X $E2E_Y" = "$((5760 - 3376)) $((2160 - 1900))" ] || e2e_fail "moved to 2500,300, hanging off K, the window rests at $E2E_X,$E2E_Y"
  e2e_screenshot_drawn on-k
  ;;
popups)
  # The alarm playback, opened from the home page's latest alarms while the main window is
  # on A, closed by its own button; the main window moves to B; opened again: on B, inside
  # it, sized for it (860 x 560 at B's ratio).
  PLAY="1484 195"
  play_alarm() {
    local r
    r=$(ratio_of_window)
    # shellcheck disable=SC2046
    e2e_click $(awk -v r="$r" -v p="$PLAY" 'BEGIN { split(p, a, " "); print a[1] * r, a[2] * r }')
    e2e_wait_window --new '.'
    POPUP=$E2E_WINDOW
    local on
    on=$(monitor_holding "$E2E_X" "$E2E_Y" "$E2E_W" "$E2E_H")
    e2e_note "the alarm playback at $E2E_X,$E2E_Y ${E2E_W}x${E2E_H} on ${on:-no single monitor}"
    [ "$on" = "$1" ] || e2e_fail "the alarm playback opened at $E2E_X,$E2E_Y ${E2E_W}x${E2E_H}, not inside $1"
    [ "${E2E_W}x${E2E_H}" = "$2" ] || e2e_fail "the alarm playback is ${E2E_W}x${E2E_H}, not $2"
  }
  # Its close button, 24 from the right and the top at scale 1.
  close_playback() {
    local r
    r=$(awk -v w="$E2E_W" 'BEGIN { print w / 860 }')
    # shellcheck disable=SC2046
    e2e_click $(awk -v r="$r" -v w="$E2E_W" 'BEGIN { print w - 24 * r, 24 * r }')
    e2e_until "the alarm playback to close" playback_closed
  }
  playback_closed() {
    ! xdotool getwindowgeometry "$POPUP" >/dev/null 2>&1 ||
      ! e2e_client_windows . | grep -qx -- "$POPUP"
  }
  e2e_wait_log '^GET /snap/alarm/23\.'
  sleep 1
  play_alarm A 860x560
  e2e_screenshot_drawn playback-on-a
  close_playback
  use_main
  move_to 2000 60 B
  play_alarm B 688x448
  e2e_screenshot_drawn playback-on-b

  # Closed by the window manager, it stops its playback as its own button does, and
  # opens again at the next click, on its owner's monitor.
  stops='^GET /api/v1/devices/stopchannelstream\?device=-1&channel=-1&stream_type=playback'
  stopped=$(e2e_server_log | grep -cE -- "$stops" || true)
  "$WM_CLOSE" "$POPUP" || e2e_fail "cannot send WM_DELETE_WINDOW"
  e2e_until "the alarm playback to close at the window manager's request" playback_closed
  e2e_wait_log "$stops" $((stopped + 1))
  use_main
  play_alarm B 688x448
  "$WM_CLOSE" "$POPUP" || e2e_fail "cannot send WM_DELETE_WINDOW"
  e2e_until "the alarm playback to close at the window manager's request" playback_closed
  use_main
  move_to 300 100 A
  play_alarm A 860x560
  close_playback
  use_main
  ;;
esac

e2e_expect_clean_log
e2e_note "passed"
