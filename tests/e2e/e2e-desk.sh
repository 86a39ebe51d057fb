# The desk for the end-to-end scripts (source it after e2e-driver.sh): monitors made on one
# Xvfb screen, a window manager, and the hand's drags of a window's caption.
#
#   add_monitor NAME W H X Y [LAYOUT]
#                               a RandR monitor (the first one added is the primary); LAYOUT:
#                               the main window's size there in screen pixels, when not the
#                               unscaled one
#   remove_monitor NAME         unplugs it
#   monitor_holding X Y W H     the monitor that holds that rectangle wholly, if any
#   layout_for NAME             the main window's size laid out for that monitor
#   layouts                     how many times the client laid its pages out so far
#   settle STARTED_NS           waits until the current window lies inside a monitor,
#                               laid out for it, and stays there ($SETTLED_ON, $SETTLED_MS)
#   move_to X Y [MONITOR]       xdotool windowmove, then settle; at most one new layout
#   e2e_start_wm NAME           window manager NAME (openbox, icewm; none: no window manager)
#   e2e_start_on_desk BIN_DIR WM
#                               after the monitors: e2e_init, window manager WM, the test
#                               server and the client, up to its login window
#   e2e_caption_drag X Y DX DY STEPS [PAUSE_STEP]
#                               a drag of the current window by its caption point X Y
#   e2e_caption_click X Y       a press and release there with no move
#   e2e_wait_shown              waits until the current window has faded in and is active
#   e2e_free_moves              five pointer moves with no button held; the window stays

# Monitors as "NAME WIDTH HEIGHT X Y", the primary first.
MONITORS=()

# Adds monitor NAME W H X Y; the first one added takes the X screen's output and is the
# primary. Millimetres for 96 dots per inch.
add_monitor() {
  local output=none
  [ ${#MONITORS[@]} -gt 0 ] || output=screen
  xrandr --setmonitor "$1" "$2/$(($2 * 254 / 960))x$3/$(($3 * 254 / 960))+$4+$5" "$output" ||
    e2e_fail "xrandr cannot add the monitor $1"
  MONITORS+=("$1 $2 $3 $4 $5 ${6:-}")
  [ "$output" = none ] || xrandr --output screen --primary
}

remove_monitor() {
  xrandr --delmonitor "$1" || e2e_fail "xrandr cannot remove the monitor $1"
  local remaining=() monitor
  for monitor in "${MONITORS[@]}"; do
    [ "${monitor%% *}" = "$1" ] || remaining+=("$monitor")
  done
  MONITORS=("${remaining[@]}")
}

# The monitor that holds the rectangle X Y W H wholly, if any.
monitor_holding() {
  local monitor name w h x y
  for monitor in "${MONITORS[@]}"; do
    read -r name w h x y _ <<<"$monitor"
    if [ "$1" -ge "$x" ] && [ "$2" -ge "$y" ] && [ $(($1 + $3)) -le $((x + w)) ] && [ $(($2 + $4)) -le $((y + h)) ]; then
      echo "$name"
      return
    fi
  done
}

# The main window's size laid out for a monitor: the design size at the monitor's ratio.
layout_for() {
  local monitor name w h x y layout
  for monitor in "${MONITORS[@]}"; do
    read -r name w h x y layout <<<"$monitor"
    [ "$name" = "$1" ] || continue
    if [ -n "$layout" ]; then echo "$layout"
    elif [ "$w" -ge 1920 ] && [ "$h" -ge 1080 ]; then echo "1688x950"
    else echo "1350x760"; fi
  done
}

# The client's own account of its layouts: a line each time it measures the screen it is
# laid out for, and one more for each new screen class.
layouts() {
  grep -c 'calcResolution' "$E2E_DIR/client.log" || true
}

# Waits until the current window lies wholly inside a monitor, laid out for it; it must
# then stay still (checked one second later). Sets SETTLED_ON and SETTLED_MS.
settle() {
  local started=$1
  settled() {
    e2e_refresh_geometry
    SETTLED_ON=$(monitor_holding "$E2E_X" "$E2E_Y" "$E2E_W" "$E2E_H")
    [ -n "$SETTLED_ON" ] && [ "${E2E_W}x${E2E_H}" = "$(layout_for "$SETTLED_ON")" ]
  }
  e2e_until "the window to lie inside a monitor, laid out for it (now $E2E_X,$E2E_Y ${E2E_W}x${E2E_H})" settled
  SETTLED_MS=$((($(date +%s%N) - started) / 1000000))
  local at="$E2E_X $E2E_Y $E2E_W $E2E_H"
  sleep 1
  e2e_refresh_geometry
  [ "$E2E_X $E2E_Y $E2E_W $E2E_H" = "$at" ] || e2e_fail "the window settled at $at, then went on to $E2E_X,$E2E_Y ${E2E_W}x${E2E_H}"
}

# Moves the current window to X Y in one step and waits until it settles: inside one
# monitor (EXPECTED, when given), laid out for it, after at most one new layout.
move_to() {
  local x=$1 y=$2 expected=${3:-} before started from
  before=$(layouts)
  from=$(window_box)
  started=$(date +%s%N)
  xdotool windowmove "$E2E_WINDOW" "$x" "$y"
  # The window manager moves it when it gets to it (late on a loaded machine): until then
  # the window rests where it was, settled on its old monitor.
  left() {
    e2e_refresh_geometry
    [ "$E2E_X $E2E_Y" != "${from% * *}" ]
  }
  [ "$x $y" = "${from% * *}" ] || e2e_until "the window to leave $from" left
  settle "$started"
  local changes=$(($(layouts) - before))
  e2e_note "moved to $x,$y: settled in $SETTLED_MS ms at $E2E_X,$E2E_Y ${E2E_W}x${E2E_H} on $SETTLED_ON, $changes layout change(s)"
  [ "$changes" -le 1 ] || e2e_fail "a move to $x,$y laid the window out $changes times"
  [ -z "$expected" ] || [ "$SETTLED_ON" = "$expected" ] || e2e_fail "a move to $x,$y ended on $SETTLED_ON, not $expected"
}


# The client says in its log when it hands a drag to the window manager and where it drops.
export QT_LOGGING_RULES="${QT_LOGGING_RULES:+$QT_LOGGING_RULES;}zelka.window.debug=true"

# Window manager NAME on the display, with its resistance at the monitors' edges and its
# snapping off (a dragged window is then exactly where the pointer holds it); waits until
# it manages the desk. Started after the monitors are made: it reads them at its start.
e2e_start_wm() {
  E2E_WM=$1
  case $E2E_WM in
  none) return 0 ;;
  openbox)
    command -v openbox >/dev/null || e2e_fail "openbox is missing (scripts/install-deps.sh installs it)"
    sed -e 's|<strength>[0-9]*</strength>|<strength>0</strength>|' \
      -e 's|<screen_edge_strength>[0-9]*</screen_edge_strength>|<screen_edge_strength>0</screen_edge_strength>|' \
      /etc/xdg/openbox/rc.xml >"$E2E_DIR/openbox.xml"
    openbox --sm-disable --config-file "$E2E_DIR/openbox.xml" >"$E2E_DIR/wm.log" 2>&1 &
    ;;
  icewm)
    command -v icewm >/dev/null || e2e_fail "icewm is missing (scripts/install-deps.sh installs it)"
    mkdir -p "$E2E_DIR/icewm"
    printf 'EdgeResistance=0\nSnapMove=0\n' >"$E2E_DIR/icewm/preferences"
    ICEWM_PRIVCFG="$E2E_DIR/icewm" icewm >"$E2E_DIR/wm.log" 2>&1 &
    ;;
  *) e2e_fail "no window manager \"$E2E_WM\"" ;;
  esac
  E2E_WM_PID=$!
  # It names the window it checks in on the root window once it manages the desk.
  wm_ready() {
    kill -0 "$E2E_WM_PID" 2>/dev/null || e2e_fail "$E2E_WM ended: $(tail -n 5 "$E2E_DIR/wm.log")"
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'
  }
  e2e_until "$E2E_WM to manage the desk" wm_ready
  e2e_note "window manager $E2E_WM"
}

# Waits until the current window has faded in and the window manager has made it the active
# one, as an operator's hand would before it reaches for the caption.
e2e_wait_shown() {
  shown() {
    xprop -id "$E2E_WINDOW" _NET_WM_WINDOW_OPACITY 2>/dev/null | grep -q '= 4294967295$' || return 1
    [ "${E2E_WM:-none}" = none ] ||
      [ "$(xprop -root _NET_ACTIVE_WINDOW 2>/dev/null | sed -n 's/.*window id # \(0x[0-9a-f]*\).*/\1/p')" = \
        "$(printf '0x%x' "$E2E_WINDOW")" ]
  }
  e2e_until "window $E2E_WINDOW to be shown whole and active" shown
}

e2e_start_on_desk() {
  e2e_init "$1"
  e2e_start_wm "$2"
  e2e_start_server
  e2e_write_config 'Username=admin\n'
  e2e_start_client
  e2e_wait_window "$WINDOW_TITLE"
}

# The current window's place and size as "X Y W H".
window_box() {
  e2e_refresh_geometry
  echo "$E2E_X $E2E_Y $E2E_W $E2E_H"
}

# Waits until the current window is at X Y with size W H; WHAT names the wait.
expect_box() {
  local want="$1 $2 $3 $4" what=$5 seen deadline=$((SECONDS + E2E_PATIENCE))
  until seen=$(window_box) && [ "$seen" = "$want" ]; do
    [ "$SECONDS" -lt "$deadline" ] || e2e_fail "waited ${E2E_PATIENCE} s for $what: the window at $want (now $seen)"
    sleep 0.2
  done
  e2e_refresh_geometry
}

# The pointer onto the screen point X Y, where the hand rests a moment before it presses.
e2e_rest_on() {
  xdotool mousemove --sync "$1" "$2"
  sleep 0.2
}

# A drag of the current window as a hand makes it: the pointer onto the caption point X Y
# (the window's logical pixels), the left button pressed, STEPS moves that make DX DY
# screen pixels in all, the release. At every step the window must be where the pointer
# holds it, at the size it had: the window manager moves it, and the client neither lays
# it out nor pulls it back meanwhile. At step PAUSE_STEP the hand rests a second with the
# button held, and the window must not have moved by then. Sets DRAG_FROM to the window's
# place before the drag.
e2e_caption_drag() {
  local x=$1 y=$2 dx=$3 dy=$4 steps=$5 pause=${6:-0} px py i want
  DRAG_FROM=$(window_box)
  local x0=$E2E_X y0=$E2E_Y w0=$E2E_W h0=$E2E_H
  read -r px py < <(e2e_point "$x" "$y")
  e2e_rest_on "$px" "$py"
  e2e_press_for_drag
  for ((i = 1; i <= steps; i++)); do
    local sx=$((px + dx * i / steps)) sy=$((py + dy * i / steps))
    xdotool mousemove --sync "$sx" "$sy"
    want="$((x0 + dx * i / steps)) $((y0 + dy * i / steps)) $w0 $h0"
    # shellcheck disable=SC2086
    expect_box $want "step $i of $steps of the drag"
    if [ "$i" = "$pause" ]; then
      sleep 1
      local now
      now=$(window_box)
      [ "$now" = "$want" ] || e2e_fail "the hand rested at step $i of the drag with the button held: the window went from $want to $now"
    fi
  done
  xdotool mouseup 1
}

# Presses the left button where the pointer is, moves it 12 px right (past the drag
# distance: the client hands the drag over only then) and holds it there until the window
# manager has the pointer (later on a loaded machine); the client's log says when it handed
# the drag over.
e2e_press_for_drag() {
  local handed
  handed=$(grep -c 'handed to the window manager' "$E2E_DIR/client.log" || true)
  xdotool mousedown 1
  xdotool mousemove_relative --sync 12 0
  handed_over() {
    [ "$(grep -c 'handed to the window manager' "$E2E_DIR/client.log" || true)" -gt "$handed" ]
  }
  e2e_until "the client to hand the drag to the window manager" handed_over
  sleep 0.3
}

# A plain click on the caption point X Y: the window must not move. Under openbox the
# button comes up at once (xdotool's click): the release reaches the client before the
# window manager takes the pointer, and the client cancels the move that follows. icewm
# takes no cancel, so there the hand holds the button a tenth of a second, as hands do.
e2e_caption_click() {
  local before
  before=$(window_box)
  # shellcheck disable=SC2046
  e2e_rest_on $(e2e_point "$1" "$2")
  if [ "${E2E_WM:-none}" = icewm ]; then
    xdotool mousedown 1
    sleep 0.1
    xdotool mouseup 1
  else
    xdotool click 1
  fi
  sleep 0.5
  local now
  now=$(window_box)
  [ "$now" = "$before" ] || e2e_fail "a click on the caption moved the window from $before to $now"
}

# Five pointer moves of 60 px down (or up near the desk's bottom) with no button held: a
# window the window manager still carried would follow them.
e2e_free_moves() {
  local before now step=60 i
  before=$(window_box)
  read -r _ desk_h < <(xdotool getdisplaygeometry)
  eval "$(xdotool getmouselocation --shell)"
  [ $((Y + 5 * step)) -lt "$desk_h" ] || step=-60
  for ((i = 1; i <= 5; i++)); do
    xdotool mousemove_relative --sync -- 0 "$step"
    sleep 0.3
    now=$(window_box)
    [ "$now" = "$before" ] || e2e_fail "pointer move $i with no button held carried the window from $before to $now"
  done
}
