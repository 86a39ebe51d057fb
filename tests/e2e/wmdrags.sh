#!/usr/bin/env bash
# The client's windows under a real window manager, dragged by the hand from their
# captions: the login window, the main window and the alarm playback follow the pointer
# while the button is held, rest where they were dropped once it is up (pointer moves
# with no button held leave them there), and a plain click on a caption moves nothing.
# A window laid out for its monitor is laid out once, at the drop, for the monitor its
# centre lies on, and moved inside it only if it hangs off.
# Usage (under Xvfb -noreset, the screen as large as the desk):
#   wmdrags.sh BIN_DIR openbox|icewm one|two
#   one: a 1920 x 1080 monitor; two: the primary 1920 x 1080 left of a 1600 x 900, and
#   drags from one onto the other and back, with and without a rest of the hand in the
#   band along the boundary. E2E_DRAG_ROUNDS (2) sets how many times each drag is made.
. "$(dirname "$0")/e2e-driver.sh"
. "$(dirname "$0")/e2e-desk.sh"

WM=$2
DESK=$3
ROUNDS=${E2E_DRAG_ROUNDS:-2}

add_monitor A 1920 1080 0 0
[ "$DESK" = one ] || add_monitor B 1600 900 1920 0
xrandr --listmonitors

e2e_start_on_desk "$1" "$WM"
e2e_wait_shown

# Drags the current window by X Y of its caption, DX DY in STEPS (resting at PAUSE_STEP),
# and expects it to rest at X' Y' W' H' (the box after the drop), then to stay there.
drag_and_drop() {
  local x=$1 y=$2 dx=$3 dy=$4 steps=$5 pause=$6 want
  shift 6
  want="$*"
  local before
  before=$(layouts)
  e2e_caption_drag "$x" "$y" "$dx" "$dy" "$steps" "$pause"
  # shellcheck disable=SC2086
  expect_box $want "after the drop"
  sleep 1
  local now
  now=$(window_box)
  [ "$now" = "$want" ] || e2e_fail "dropped at $want, the window went on to $now"
  e2e_free_moves
  DROP_LAYOUTS=$(($(layouts) - before))
  e2e_note "dragged by $dx,$dy from $DRAG_FROM: rests at $want after $DROP_LAYOUTS layout(s)"
}

# The login window: its caption is the top strip left of its buttons.
LOGIN_CAPTION="300 15"
for ((round = 1; round <= ROUNDS; round++)); do
  read -r lx ly lw lh < <(window_box)
  # shellcheck disable=SC2086
  drag_and_drop $LOGIN_CAPTION 200 100 10 0 $((lx + 200)) $((ly + 100)) "$lw" "$lh"
  # shellcheck disable=SC2086
  e2e_caption_click $LOGIN_CAPTION
  e2e_free_moves
  if [ "$DESK" = two ]; then
    # Onto B and back, the hand resting on the way back.
    # shellcheck disable=SC2086
    drag_and_drop $LOGIN_CAPTION 1500 -50 15 0 $((lx + 1700)) $((ly + 50)) "$lw" "$lh"
    e2e_screenshot_drawn "login-on-b-$round"
    # shellcheck disable=SC2086
    drag_and_drop $LOGIN_CAPTION -1500 50 15 8 $((lx + 200)) $((ly + 100)) "$lw" "$lh"
  fi
  # shellcheck disable=SC2086
  drag_and_drop $LOGIN_CAPTION -200 -100 10 5 "$lx" "$ly" "$lw" "$lh"
done
e2e_screenshot_drawn login-dropped

e2e_log_in
e2e_wait_log '^GET /api/v1/channels\?.*subset=34020000001310000103'
MAIN=$E2E_WINDOW
settle "$(date +%s%N)"
e2e_wait_shown
[ "$SETTLED_ON" = A ] || e2e_fail "the main window opened on $SETTLED_ON"
read -r mx my _ _ < <(window_box)

# The main window's caption: the top strip between 450 from either edge.
MAIN_CAPTION="844 15"
for ((round = 1; round <= ROUNDS; round++)); do
  # shellcheck disable=SC2086
  e2e_caption_click $MAIN_CAPTION
  e2e_free_moves
  if [ "$DESK" = one ]; then
    # Within the monitor, and out over its right edge: pulled back inside at the drop.
    # shellcheck disable=SC2086
    drag_and_drop $MAIN_CAPTION -100 -40 10 0 $((mx - 100)) $((my - 40)) 1688 950
    # shellcheck disable=SC2086
    drag_and_drop $MAIN_CAPTION 400 60 10 5 $((1920 - 1688)) $((my + 20)) 1688 950
    [ "$DROP_LAYOUTS" = 0 ] || e2e_fail "a drag within the monitor laid the window out $DROP_LAYOUTS times"
    e2e_screenshot_drawn "main-pulled-back-$round"
    # shellcheck disable=SC2086
    drag_and_drop $MAIN_CAPTION $((mx - 1920 + 1688)) -20 8 0 "$mx" "$my" 1688 950
  else
    # From A onto B (laid out for B at the drop, once), and back onto A with the hand
    # resting in the band along the boundary; then the other way round.
    for pause in 0 11; do
      # shellcheck disable=SC2086
      drag_and_drop $MAIN_CAPTION 1900 0 20 "$pause" $((mx + 1900)) "$my" 1350 760
      [ "$DROP_LAYOUTS" = 1 ] || e2e_fail "the drop on B laid the window out $DROP_LAYOUTS times"
      [ "$pause" = 0 ] || e2e_screenshot_drawn "main-on-b-$round"
      # B's caption point, at B's ratio.
      drag_and_drop 675 12 -1900 0 20 $((11 - pause)) "$mx" "$my" 1688 950
      [ "$DROP_LAYOUTS" = 1 ] || e2e_fail "the drop on A laid the window out $DROP_LAYOUTS times"
    done
  fi
done
e2e_screenshot_drawn main-dropped

if [ "$DESK" = two ]; then
  # Dropped on B, then put by the window manager at any point of B where it fits, it stays
  # exactly there. (Moved there from A at A's size, icewm would first keep it on the desk.)
  # shellcheck disable=SC2086
  drag_and_drop $MAIN_CAPTION 1900 0 20 0 $((mx + 1900)) "$my" 1350 760
  for point in "2000 60" "2100 100" "2170 140" "1921 0"; do
    read -r px py <<<"$point"
    move_to "$px" "$py" B
    [ "$E2E_X $E2E_Y" = "$px $py" ] || e2e_fail "moved to $px,$py, the window rests at $E2E_X,$E2E_Y"
  done
  move_to "$mx" "$my" A
fi

# The alarm playback, opened from the home page's latest alarms; its caption is the top
# strip left of its close button.
e2e_wait_log '^GET /snap/alarm/23\.'
sleep 1
e2e_click 1484 195
e2e_wait_window --new '.'
POPUP=$E2E_WINDOW
e2e_wait_shown
read -r ax ay aw ah < <(window_box)
[ "${aw}x${ah}" = 860x560 ] || e2e_fail "the alarm playback opened at ${aw}x${ah}"
POPUP_CAPTION="200 20"
for ((round = 1; round <= ROUNDS; round++)); do
  # shellcheck disable=SC2086
  e2e_caption_click $POPUP_CAPTION
  e2e_free_moves
  # shellcheck disable=SC2086
  drag_and_drop $POPUP_CAPTION 300 -150 10 0 $((ax + 300)) $((ay - 150)) "$aw" "$ah"
  # shellcheck disable=SC2086
  drag_and_drop $POPUP_CAPTION -300 150 10 6 "$ax" "$ay" "$aw" "$ah"
done
e2e_screenshot_drawn playback-dropped

if [ "$DESK" = two ]; then
  # Dragged onto B, it is laid out for B at the drop (860 x 560 at B's ratio).
  # shellcheck disable=SC2086
  drag_and_drop $POPUP_CAPTION $((2200 - ax)) $((100 - ay)) 12 0 2200 100 688 448
  e2e_screenshot_drawn playback-on-b
  # Left at B's lower right corner while its owner goes to B and back to A: it keeps the
  # size laid out for B and stays whole on the desk.
  xdotool windowmove "$POPUP" $((3520 - 688)) $((900 - 448))
  expect_box $((3520 - 688)) $((900 - 448)) 688 448 "the alarm playback put in B's corner"
  use_popup_box=$(window_box)
  E2E_WINDOW=$MAIN
  move_to 2000 60 B
  move_to 60 60 A
  E2E_WINDOW=$POPUP
  sleep 1
  now=$(window_box)
  [ "$now" = "$use_popup_box" ] || e2e_fail "the alarm playback on B went from $use_popup_box to $now as its owner moved"
  e2e_screenshot_drawn playback-left-on-b
fi

E2E_WINDOW=$MAIN
e2e_refresh_geometry
e2e_expect_clean_log
if grep -q 'unsupported sample count' "$E2E_DIR/client.log"; then
  e2e_fail "the client asked for a sample count the platform does not support"
fi
e2e_note "passed"
