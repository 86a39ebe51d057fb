#!/usr/bin/env bash
# Run by hand (not part of the test run): the main window's caption under a window manager
# on the two-monitor desk, clicked and dragged as hands do, and counted. Each click (press,
# a hold, release) is followed by five free pointer moves of 60 px to the left, the window's
# place read after each: a window still carried by the window manager follows them. Each
# drag moves the pointer at once after the press (no pause for the hand-over) and must
# land where the pointer puts it relative to the press, within 2 px.
# Usage (under Xvfb -noreset -screen 0 3520x1080x24, e.g. tests/common/with-xvfb.sh):
#   wmclicks.sh BIN_DIR openbox|icewm
#   WMCLICKS_HOLDS ("0 20 50 60 80 120"): the holds in ms; WMCLICKS_CLICKS (60) clicks at each;
#   WMCLICKS_DRAGS (20) drags; WMCLICKS_CPUS (e.g. 6,7): the client's cores, where the
#   caller runs `stress-ng --cpu 2` for the loaded machine.
# Prints a line per fault and a summary; ends with 1 when any click moved the window or any
# drag landed more than 2 px off.
. "$(dirname "$0")/e2e-driver.sh"
. "$(dirname "$0")/e2e-desk.sh"

WM=$2
HOLDS=${WMCLICKS_HOLDS:-0 20 50 60 80 120}
CLICKS=${WMCLICKS_CLICKS:-60}
DRAGS=${WMCLICKS_DRAGS:-20}

add_monitor A 1920 1080 0 0
add_monitor B 1600 900 1920 0
e2e_start_on_desk "$1" "$WM"
if [ -n "${WMCLICKS_CPUS:-}" ]; then
  taskset -a -p -c "$WMCLICKS_CPUS" "$E2E_CLIENT_PID" >/dev/null || e2e_fail "cannot pin the client to $WMCLICKS_CPUS"
fi
e2e_log_in
e2e_wait_log '^GET /api/v1/channels\?.*subset=34020000001310000103'
settle "$(date +%s%N)"
e2e_wait_shown
read -r home_x home_y _ _ < <(window_box)
# The caption point the issue's hand used: 844,15 of the main window.
read -r cx cy < <(e2e_point 844 15)

# Puts the window back where it was after a fault: a click ends a move the window manager
# still runs, then the window manager puts it back.
restore() {
  xdotool mousemove --sync 10 10 click 1
  sleep 0.3
  xdotool windowmove "$E2E_WINDOW" "$home_x" "$home_y"
  sleep 1
}

faults=0
for hold in $HOLDS; do
  moved=0
  for ((i = 1; i <= CLICKS; i++)); do
    xdotool mousemove --sync "$cx" "$cy"
    sleep 0.15
    before=$(window_box)
    if [ "$hold" = 0 ]; then
      xdotool mousedown 1 mouseup 1
    else
      xdotool mousedown 1 sleep "$(awk -v h="$hold" 'BEGIN { print h / 1000 }')" mouseup 1
    fi
    seen=""
    for ((step = 1; step <= 5; step++)); do
      xdotool mousemove_relative --sync -- -60 0
      sleep 0.05
      seen="$seen $(window_box | cut -d' ' -f1,2 | tr ' ' ,)"
    done
    now=$(window_box)
    if [ "$now" != "$before" ] || [ "$(echo "$seen" | tr ' ' '\n' | sort -u | grep -c .)" != 1 ]; then
      moved=$((moved + 1))
      echo "wmclicks: $WM hold $hold ms click $i moved the window from $before: after each free move$seen"
      restore
    fi
  done
  echo "wmclicks: $WM hold $hold ms: $moved of $CLICKS clicks moved the window"
  faults=$((faults + moved))
done

# Drags from the caption point, 100 px right and 30 down in five steps and back (the
# window stays inside A's work area), the first step right after the press.
worst=0
off=0
for ((i = 1; i <= DRAGS; i++)); do
  sign=$((i % 2 ? 1 : -1))
  xdotool mousemove --sync "$cx" "$cy"
  sleep 0.15
  read -r x0 y0 w0 h0 < <(window_box)
  xdotool mousedown 1 mousemove_relative -- $((sign * 20)) $((sign * 6))
  for ((step = 2; step <= 5; step++)); do
    sleep 0.03
    xdotool mousemove_relative -- $((sign * 20)) $((sign * 6))
  done
  sleep 0.3
  xdotool mouseup 1
  want_x=$((x0 + sign * 100)) want_y=$((y0 + sign * 30))
  sleep 0.6
  read -r x1 y1 _ _ < <(window_box)
  error=$(awk -v a="$x1" -v b="$want_x" -v c="$y1" -v d="$want_y" 'BEGIN { dx = a - b; dy = c - d; print (dx < 0 ? -dx : dx) + (dy < 0 ? -dy : dy) }')
  [ "$error" -le "$worst" ] || worst=$error
  if [ "$error" -gt 2 ]; then
    off=$((off + 1))
    echo "wmclicks: $WM drag $i from $x0,$y0 landed at $x1,$y1, not $want_x,$want_y"
  fi
  E2E_X=$x1 E2E_Y=$y1
  read -r cx cy < <(e2e_point 844 15)
  if [ "$error" -gt 2 ]; then
    xdotool windowmove "$E2E_WINDOW" "$want_x" "$want_y"
    sleep 1
    e2e_refresh_geometry
    read -r cx cy < <(e2e_point 844 15)
  fi
done
echo "wmclicks: $WM drags: $off of $DRAGS landed more than 2 px off; the largest error $worst px"
e2e_screenshot wmclicks-end
[ "$faults" = 0 ] && [ "$off" = 0 ] || exit 1
e2e_note "passed"
