# End-to-end driver: the real client and the local test server as processes, under an
# X server (tests/common/with-xvfb.sh), driven by pointer and keys through xdotool. Source
# it from a test script, then call the steps:
#
#   e2e_init BIN_DIR            temporary client folder, clean-up on exit
#   e2e_start_server [ARGS]     zelka_test_server on a free port ($E2E_PORT)
#   e2e_write_config [LINES]    config/config.ini: [Global] Host=127.0.0.1:$E2E_PORT, then LINES
#   e2e_start_client            the client in the folder; waits for its first window
#   e2e_wait_window [--new] TITLE_RE
#                               waits for a visible client window whose title matches
#                               (with --new: another than the current one); it becomes
#                               the current window ($E2E_WINDOW, geometry $E2E_X $E2E_Y $E2E_W $E2E_H)
#   e2e_click X Y               left click at a point of the current window, in the
#                               window's logical pixels (times $E2E_SCALE on screen)
#   e2e_click_held X Y SECONDS  the same, the button held SECONDS
#   e2e_type TEXT | e2e_key KEY keyboard input to the window under the pointer
#   e2e_screenshot NAME         NAME.png of the whole screen in $E2E_OUTPUT
#   e2e_screenshot_drawn NAME [X Y W H]
#                               the same, once the current window (or that part of it)
#                               shows a drawn picture
#   e2e_wait_only_window        waits until the current window is the only one shown
#   e2e_wait_log PATTERN [N]    waits for N (1) lines of the server's request log that
#                               match PATTERN (grep -E over "METHOD PATH?QUERY")
#   e2e_wait_exit               waits for the client to end ($E2E_EXIT_CODE)
#   e2e_expect_clean_log        no QML errors in the client's output
#
# Every wait gives up after $E2E_PATIENCE seconds (30) with a message naming the step.
set -euo pipefail

E2E_PATIENCE=${E2E_PATIENCE:-30}
# Screen pixels to a logical pixel of the client: QT_SCALE_FACTOR's, or what a desk scaled
# otherwise (Xft.dpi) sets.
E2E_SCALE=${E2E_SCALE:-${QT_SCALE_FACTOR:-1}}
E2E_OUTPUT=${E2E_OUTPUT:-$PWD}
E2E_SERVER_PID=""
E2E_CLIENT_PID=""
E2E_HOVER_PID=""
E2E_RECORD_PID=""
E2E_WM_PID=""
E2E_EXIT_CODE=""

e2e_fail() {
  echo "e2e: FAIL: $*" >&2
  # What the screen and the server saw at the failure: a missing request is often a click
  # that went elsewhere.
  if [ -n "${E2E_OUTPUT:-}" ] && [ -n "${DISPLAY:-}" ]; then
    import -window root "$E2E_OUTPUT/failure.png" 2>/dev/null && echo "e2e: screenshot $E2E_OUTPUT/failure.png" >&2
  fi
  if [ -n "${E2E_PORT:-}" ]; then
    echo "--- the test server's last requests" >&2
    e2e_server_log 2>/dev/null | tail -n 15 >&2 || true
  fi
  if [ -n "${E2E_DIR:-}" ] && [ -f "$E2E_DIR/client.log" ]; then
    echo "--- client output (last 40 lines)" >&2
    tail -n 40 "$E2E_DIR/client.log" >&2
  fi
  # A server that died under the run explains a missing request better than the client does.
  if [ -n "$E2E_SERVER_PID" ] && ! kill -0 "$E2E_SERVER_PID" 2>/dev/null; then
    echo "--- the test server has ended; its output (last 40 lines)" >&2
    tail -n 40 "$E2E_DIR/server.out" >&2 || true
  elif [ -n "$E2E_SERVER_PID" ] && grep -q "^rtsp server: the RTSP test server ended" "$E2E_DIR/server.out" 2>/dev/null; then
    # Its RTSP server (a program of its own) ended: streams stopped for that reason.
    echo "--- the test server's RTSP server has ended; the test server's output (last 40 lines)" >&2
    tail -n 40 "$E2E_DIR/server.out" >&2 || true
  fi
  exit 1
}

e2e_note() {
  echo "e2e: $*"
}

e2e_cleanup() {
  if [ -n "$E2E_RECORD_PID" ]; then
    kill "$E2E_RECORD_PID" 2>/dev/null || true
    wait "$E2E_RECORD_PID" 2>/dev/null || true
  fi
  if [ -n "$E2E_HOVER_PID" ]; then
    touch "$E2E_DIR/hover-stop"
    wait "$E2E_HOVER_PID" 2>/dev/null || true
  fi
  if [ -n "$E2E_CLIENT_PID" ] && kill -0 "$E2E_CLIENT_PID" 2>/dev/null; then
    kill "$E2E_CLIENT_PID" 2>/dev/null || true
    wait "$E2E_CLIENT_PID" 2>/dev/null || true
  fi
  if [ -n "$E2E_SERVER_PID" ] && kill -0 "$E2E_SERVER_PID" 2>/dev/null; then
    kill "$E2E_SERVER_PID" 2>/dev/null || true
    wait "$E2E_SERVER_PID" 2>/dev/null || true
  fi
  if [ -n "$E2E_WM_PID" ]; then
    kill "$E2E_WM_PID" 2>/dev/null || true
    wait "$E2E_WM_PID" 2>/dev/null || true
  fi
}

# Retries COMMAND (a shell function or command line) every 0.2 s until it succeeds or
# the patience runs out; WHAT names the wait in the failure.
e2e_until() {
  local what=$1; shift
  local deadline=$((SECONDS + E2E_PATIENCE))
  until "$@"; do
    [ "$SECONDS" -lt "$deadline" ] || e2e_fail "waited ${E2E_PATIENCE} s for $what"
    sleep 0.2
  done
}

e2e_init() {
  E2E_BIN=$(cd "$1" && pwd)
  [ -x "$E2E_BIN/ZelkaVSS_Client" ] || e2e_fail "no client in $E2E_BIN"
  [ -n "${DISPLAY:-}" ] || e2e_fail "no X display: run under tests/common/with-xvfb.sh"
  for tool in xdotool xset import curl ffmpeg; do
    command -v "$tool" >/dev/null || e2e_fail "$tool is missing (scripts/install-deps.sh installs it)"
  done
  e2e_expect_no_key_repeat
  mkdir -p "$E2E_OUTPUT"
  E2E_DIR=$(mktemp -d "$E2E_OUTPUT/client.XXXXXX")
  mkdir -p "$E2E_DIR/config"
  export QT_QPA_PLATFORM=xcb
  # Mesa's driver and the desktop bus keep allocations without symbols for the process's
  # life, which leak suppressions cannot name; leaks of our code are checked offscreen.
  # Without leak checks the slow unwinding on each allocation is not needed, and with
  # llvmpipe it deadlocks: LLVM allocates while holding the unwinder's lock.
  if [ -n "${LSAN_OPTIONS:-}" ]; then
    export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0:fast_unwind_on_malloc=1"
  fi
  trap e2e_cleanup EXIT
  e2e_note "client folder $E2E_DIR"
}

# xdotool holds each key it types for half its delay; on a loaded machine it can be held up
# past the X server's repeat delay (660 ms), and the key is typed again ("addmin").
# Xvfb keeps repeating after `xset r off`; with-xvfb.sh starts it with a repeat delay of a
# minute instead. A desk of one's own takes `xset r off`.
e2e_expect_no_key_repeat() {
  xset r off 2>/dev/null || true
  local state
  state=$(xset q | awk '/auto repeat:/ { print $3 } /auto repeat delay:/ { print $4 }' | paste -sd' ')
  case $state in
    off*) ;;
    *) [ "${state#* }" -ge 10000 ] 2>/dev/null ||
         e2e_fail "the X server repeats held keys (auto repeat ${state% *}, delay ${state#* } ms): start it with tests/common/with-xvfb.sh" ;;
  esac
}

e2e_start_server() {
  local out="$E2E_DIR/server.out"
  "$E2E_BIN/zelka_test_server" "$@" >"$out" 2>&1 &
  E2E_SERVER_PID=$!
  server_ready() {
    kill -0 "$E2E_SERVER_PID" 2>/dev/null || e2e_fail "test server ended: $(cat "$out")"
    grep -qs '^http ' "$out"
  }
  # The first start on a machine makes the media fixtures.
  E2E_PATIENCE=$((E2E_PATIENCE * 4)) e2e_until "the test server to start" server_ready
  E2E_PORT=$(sed -n 's/^http .*:\([0-9]*\)$/\1/p' "$out")
  e2e_note "test server on 127.0.0.1:$E2E_PORT"
}

e2e_write_config() {
  (umask 077 && printf '[Global]\nHost=127.0.0.1:%s\n%s' "$E2E_PORT" "${1:-}" >"$E2E_DIR/config/config.ini")
}

e2e_start_client() {
  (cd "$E2E_DIR" && exec "$E2E_BIN/ZelkaVSS_Client" >"$E2E_DIR/client.log" 2>&1) &
  E2E_CLIENT_PID=$!
  E2E_PATIENCE=$((E2E_PATIENCE * 2)) e2e_wait_window '.'
}

# Visible windows of the client whose title matches, newest last.
e2e_client_windows() {
  local title_re=$1 window
  for window in $(xdotool search --onlyvisible --pid "$E2E_CLIENT_PID" 2>/dev/null || true); do
    xdotool getwindowname "$window" 2>/dev/null | grep -Eq -- "$title_re" && echo "$window"
  done
  return 0
}

e2e_wait_window() {
  local other=""
  if [ "$1" = --new ]; then
    other=${E2E_WINDOW:-}
    shift
  fi
  local title_re=$1
  found_window() {
    kill -0 "$E2E_CLIENT_PID" 2>/dev/null || e2e_fail "the client ended while a window was awaited"
    E2E_WINDOW=$(e2e_client_windows "$title_re" | grep -vx -- "${other:-none}" | tail -n 1)
    [ -n "$E2E_WINDOW" ]
  }
  e2e_until "a client window titled /$title_re/" found_window
  eval "$(xdotool getwindowgeometry --shell "$E2E_WINDOW")"
  E2E_X=$X E2E_Y=$Y E2E_W=$WIDTH E2E_H=$HEIGHT
  e2e_note "window $E2E_WINDOW \"$(xdotool getwindowname "$E2E_WINDOW")\" at ${E2E_X},${E2E_Y} ${E2E_W}x${E2E_H}"
}

# The screen point of a point of the current window given in its logical pixels: a
# client run at a scale of E2E_SCALE draws each of them that many screen pixels large.
e2e_point() {
  if [ "$E2E_SCALE" = 1 ]; then
    echo "$((E2E_X + ${1%.*})) $((E2E_Y + ${2%.*}))"
  else
    awk -v x="$1" -v y="$2" -v s="$E2E_SCALE" -v left="$E2E_X" -v top="$E2E_Y" \
      'BEGIN { printf "%d %d\n", left + x * s + 0.5, top + y * s + 0.5 }'
  fi
}

e2e_click() {
  # shellcheck disable=SC2046
  xdotool mousemove --sync $(e2e_point "$1" "$2")
  xdotool click 1
}

# A press held SECONDS before its release, both sent by one xdotool call so that the hold is
# exact: a slow click, or an ordinary one stretched by a busy machine.
e2e_click_held() {
  # shellcheck disable=SC2046
  xdotool mousemove --sync $(e2e_point "$1" "$2") mousedown 1 sleep "$3" mouseup 1
}

e2e_type() {
  xdotool type --delay 30 -- "$1"
}

e2e_key() {
  xdotool key -- "$1"
}

e2e_screenshot() {
  import -window root "$E2E_OUTPUT/$1.png"
  e2e_note "screenshot $E2E_OUTPUT/$1.png"
}

# Waits until the current window (or the part X Y W H of it) shows a drawn picture,
# then keeps that screen as NAME.png. A window that is mapped but not yet drawn, or a
# transparent one that lost its alpha channel, shows as one flat colour.
e2e_screenshot_drawn() {
  local name=$1 x=${2:-0} y=${3:-0} w=${4:-$E2E_W} h=${5:-$E2E_H}
  drawn() {
    e2e_screenshot "$name" >/dev/null
    local colours
    colours=$(convert "$E2E_OUTPUT/$name.png" -crop "${w}x${h}+$((E2E_X + x))+$((E2E_Y + y))" +repage -format '%k' info:)
    [ "$colours" -ge 64 ]
  }
  e2e_until "the window to be drawn in $name.png" drawn
  e2e_note "screenshot $E2E_OUTPUT/$name.png"
}

# Waits until the current window is the client's only visible one.
e2e_wait_only_window() {
  alone() {
    [ -z "$(e2e_client_windows . | grep -vx -- "$E2E_WINDOW")" ]
  }
  e2e_until "the other client windows to close" alone
}

# The server's request log as lines "METHOD PATH?QUERY" (the control routes answer
# JSON objects whose keys come in alphabetical order).
e2e_server_log() {
  curl -sf "http://127.0.0.1:$E2E_PORT/__control/log" |
    grep -o '"method":"[A-Z]*","path":"[^"]*","query":"[^"]*"' |
    sed 's/^"method":"\([A-Z]*\)","path":"\([^"]*\)","query":"\([^"]*\)"$/\1 \2?\3/'
}

e2e_wait_log() {
  local pattern=$1 count=${2:-1}
  log_has() {
    [ "$(e2e_server_log | grep -Ec -- "$pattern")" -ge "$count" ]
  }
  e2e_until "$count server log line(s) matching /$pattern/" log_has
}

e2e_wait_exit() {
  client_ended() {
    ! kill -0 "$E2E_CLIENT_PID" 2>/dev/null
  }
  e2e_until "the client to end" client_ended
  E2E_EXIT_CODE=0
  wait "$E2E_CLIENT_PID" || E2E_EXIT_CODE=$?
  E2E_CLIENT_PID=""
}

e2e_expect_clean_log() {
  if grep -E 'TypeError|ReferenceError|Unable to assign|Binding loop' "$E2E_DIR/client.log"; then
    e2e_fail "QML errors in the client's output"
  fi
}

# More steps:
#   e2e_hover X Y               moves the pointer to a point of the current window
#   e2e_keep_hovering X Y       moves the pointer to a point of the current window and keeps
#                               it about there, a pixel to the right and back every half
#                               second as a resting hand moves, until e2e_stop_hovering puts
#                               it back on the point: what hides a while after the pointer's
#                               last move (the camera tile's bars) stays up while a wait
#                               takes its screenshots, however slowly
#   e2e_double_click X Y        left double click at a point of the current window
#   e2e_refresh_geometry        reads the current window's place and size again
#   e2e_wait_geometry X Y W H   waits until the current window has that place and size
#   e2e_other_window            the newest visible client window other than the current
#                               one ($E2E_OTHER, geometry $E2E_OTHER_X $E2E_OTHER_Y
#                               $E2E_OTHER_W $E2E_OTHER_H), waited for
#   e2e_changed A B [X Y W H]   true when screenshots A and B differ in that part of the
#                               current window (all of it by default); a screenshot that
#                               cannot be read fails the run
#   e2e_screenshot_changed A B WHAT [X Y W H]
#                               takes screenshot B until it differs from A in that part
#                               of the current window; WHAT names the change awaited
#   e2e_expect_changed A B WHAT [X Y W H]
#                               as e2e_screenshot_changed, but keeps B when it already
#                               differs: a change still on its way is awaited, not failed
#                               (only for a part that nothing else changes: no video, no
#                               moving cursor, no page still loading)
#   e2e_screenshot_same A B WHAT [X Y W H]
#                               takes screenshot B until it shows that part of the
#                               current window as A does
#   e2e_screenshot_colour NAME WHAT X Y R G B
#                               takes screenshot NAME until the pixel X Y of the current
#                               window has about that colour (each channel within 24)
#   e2e_seed_data FILE EDIT     the seeded data in FILE, changed by the Python statements
#                               EDIT on `data` (channel(ID) gives a channel's record); the
#                               RTSP mounts h264-still and h265-still show one colour each,
#                               drawn as $E2E_STILL_H264 and $E2E_STILL_H265 (R G B)
#   e2e_wait_still NAME WHAT X Y W H
#                               takes screenshots until that part of the current window
#                               shows a drawn picture that stays the same from one
#                               screenshot to the next (a page done sliding in, a map
#                               done loading), and keeps the last as NAME.png
#   e2e_record NAME SECONDS X Y W H
#                               records that part of the current window for SECONDS, 25
#                               frames a second, in the background (ffmpeg's x11grab):
#                               $E2E_OUTPUT/NAME/N.png for N from 1, and NAME/times with a
#                               line "N MICROSECONDS" for each, the frame's capture time on
#                               the clock of e2e_now_us; returns once the first frame is
#                               kept. A screenshot shows a change seconds late on a loaded
#                               machine; a frame is stamped when it was on screen.
#   e2e_record_wait             waits for the recording to end
#   e2e_now_us                  the time in microseconds (the recording's clock)
#   e2e_frame_changed NAME A B X Y W H
#                               true when frames A and B of recording NAME differ in that
#                               part of it (as e2e_changed does; points of the recorded part)
#
# The client windows' points and the steps built on them (the login among them) are in
# e2e-layout.sh.

e2e_hover() {
  # shellcheck disable=SC2046
  xdotool mousemove --sync $(e2e_point "$1" "$2")
}

e2e_keep_hovering() {
  e2e_stop_hovering
  E2E_HOVER_POINT=$(e2e_point "$1" "$2")
  local aside
  aside=$(e2e_point "$((${1%.*} + 1))" "$2")
  # shellcheck disable=SC2086
  xdotool mousemove --sync $E2E_HOVER_POINT
  rm -f "$E2E_DIR/hover-stop"
  # It stops itself at the stop file rather than being killed, so that no move of its
  # comes after the one that puts the pointer back.
  (
    point=$aside
    until [ -e "$E2E_DIR/hover-stop" ]; do
      sleep 0.5
      # shellcheck disable=SC2086
      xdotool mousemove $point || exit 0
      [ "$point" = "$aside" ] && point=$E2E_HOVER_POINT || point=$aside
    done
  ) &
  E2E_HOVER_PID=$!
}

e2e_stop_hovering() {
  [ -n "$E2E_HOVER_PID" ] || return 0
  touch "$E2E_DIR/hover-stop"
  wait "$E2E_HOVER_PID" || true
  E2E_HOVER_PID=""
  # shellcheck disable=SC2086
  xdotool mousemove --sync $E2E_HOVER_POINT
}

e2e_double_click() {
  # shellcheck disable=SC2046
  xdotool mousemove --sync $(e2e_point "$1" "$2")
  xdotool click --repeat 2 --delay 80 1
}

e2e_refresh_geometry() {
  eval "$(xdotool getwindowgeometry --shell "$E2E_WINDOW")"
  E2E_X=$X E2E_Y=$Y E2E_W=$WIDTH E2E_H=$HEIGHT
}

e2e_wait_geometry() {
  local want="$1 $2 $3 $4"
  has_geometry() {
    e2e_refresh_geometry
    [ "$E2E_X $E2E_Y $E2E_W $E2E_H" = "$want" ]
  }
  e2e_until "the window at $want (now $E2E_X $E2E_Y $E2E_W $E2E_H)" has_geometry
}

e2e_other_window() {
  found_other() {
    E2E_OTHER=$(e2e_client_windows . | grep -vx -- "$E2E_WINDOW" | tail -n 1)
    [ -n "$E2E_OTHER" ]
  }
  e2e_until "another client window" found_other
  eval "$(xdotool getwindowgeometry --shell "$E2E_OTHER")"
  E2E_OTHER_X=$X E2E_OTHER_Y=$Y E2E_OTHER_W=$WIDTH E2E_OTHER_H=$HEIGHT
  e2e_note "other window $E2E_OTHER at ${E2E_OTHER_X},${E2E_OTHER_Y} ${E2E_OTHER_W}x${E2E_OTHER_H}"
}

# Two screenshots of an unchanged screen can differ by a level or two in a few hundred
# pixels: a pixel counts as changed when a channel moves by more than 3 %.
e2e_changed() {
  local a=$1 b=$2 x=${3:-0} y=${4:-0} w=${5:-$E2E_W} h=${6:-$E2E_H}
  e2e_crops_differ "$E2E_OUTPUT/$a.png" "$E2E_OUTPUT/$b.png" "${w}x${h}+$((E2E_X + x))+$((E2E_Y + y))"
}

# True when the part CROP (WxH+X+Y) of the pictures A and B differs.
e2e_crops_differ() {
  local a=$1 b=$2 crop=$3 differing
  differing=$(compare -fuzz 3% -metric AE "$a[$crop]" "$b[$crop]" null: 2>&1) || true
  [[ "$differing" =~ ^[0-9.e+]+$ ]] || e2e_fail "cannot compare $a with $b: $differing"
  [ "$differing" != 0 ]
}

e2e_screenshot_changed() {
  local before=$1 after=$2 what=$3
  shift 3
  differs() {
    e2e_screenshot "$after" >/dev/null
    e2e_changed "$before" "$after" "$@"
  }
  e2e_until "$what" differs "$@"
  e2e_note "screenshot $E2E_OUTPUT/$after.png"
}

e2e_expect_changed() {
  local before=$1 after=$2 what=$3
  shift 3
  e2e_changed "$before" "$after" "$@" || e2e_screenshot_changed "$before" "$after" "$what" "$@"
}

e2e_screenshot_same() {
  local before=$1 after=$2 what=$3
  shift 3
  same() {
    e2e_screenshot "$after" >/dev/null
    ! e2e_changed "$before" "$after" "$@"
  }
  e2e_until "$what" same "$@"
  e2e_note "screenshot $E2E_OUTPUT/$after.png"
}

e2e_screenshot_colour() {
  local name=$1 what=$2 x=$3 y=$4 want="$5 $6 $7" seen=""
  has_colour() {
    e2e_screenshot "$name" >/dev/null
    local got wanted
    got=$(convert "$E2E_OUTPUT/$name.png" -crop "1x1+$((E2E_X + x))+$((E2E_Y + y))" \
      -format '%[fx:int(255*r)] %[fx:int(255*g)] %[fx:int(255*b)]' info:) ||
      e2e_fail "cannot read the pixel $x,$y of $name.png"
    [ "$got" = "$seen" ] || e2e_note "the pixel $x,$y of $name.png: $got"
    seen=$got
    set -- $got
    for wanted in $want; do
      [ $(($1 > wanted ? $1 - wanted : wanted - $1)) -le 24 ] || return 1
      shift
    done
  }
  e2e_until "$what (the colour $want at $x,$y)" has_colour
}

# Waits until some pixel of the part X Y W H of the window has the colour R G B (within
# 10 %; not black): a text or mark of its own colour drawn there, wherever in the part.
e2e_screenshot_colour_in() {
  local name=$1 what=$2 x=$3 y=$4 w=$5 h=$6 want="rgb($7,$8,$9)"
  shows_colour() {
    e2e_screenshot "$name" >/dev/null
    local share
    share=$(convert "$E2E_OUTPUT/$name.png" -crop "${w}x${h}+$((E2E_X + x))+$((E2E_Y + y))" +repage \
      -fuzz 10% -fill black +opaque "$want" -format '%[fx:mean]' info:) ||
      e2e_fail "cannot read the part $x $y $w $h of $name.png"
    [ "$share" != 0 ]
  }
  e2e_until "$what (the colour $want within $x $y $w $h)" shows_colour
}

E2E_STILL_H264="47 111 192"
E2E_STILL_H265="209 111 34"
e2e_seed_data() {
  mkdir -p "$(dirname "$1")"
  /usr/bin/python3 - "$(dirname "${BASH_SOURCE[0]}")/../server/seed.json" "$1" "$2" <<'PY' || e2e_fail "cannot write $1"
import json, sys
data = json.load(open(sys.argv[1], encoding="utf-8"))
def channel(channel_id):
    return next(c for c in data["Channels"] if c["ChannelID"] == channel_id)
exec(sys.argv[3])
json.dump(data, open(sys.argv[2], "w", encoding="utf-8"), ensure_ascii=False)
PY
}

e2e_wait_still() {
  local name=$1 what=$2 shots=0
  shift 2
  still() {
    shots=$((shots + 1))
    e2e_screenshot "$name-$((shots % 2))" >/dev/null
    [ "$shots" -ge 2 ] || return 1
    local colours
    colours=$(convert "$E2E_OUTPUT/$name-0.png" -crop "${3}x${4}+$((E2E_X + $1))+$((E2E_Y + $2))" +repage -format '%k' info:)
    [ "$colours" -ge 8 ] && ! e2e_changed "$name-0" "$name-1" "$@"
  }
  e2e_until "$what" still "$@"
  cp "$E2E_OUTPUT/$name-$((shots % 2)).png" "$E2E_OUTPUT/$name.png"
}

e2e_record() {
  local name=$1 seconds=$2 origin corner dir="$E2E_OUTPUT/$1"
  # shellcheck disable=SC2046
  set -- $(e2e_point "$3" "$4") $(e2e_point "$(($3 + $5))" "$(($4 + $6))")
  rm -rf "$dir"
  mkdir -p "$dir"
  # x11grab stamps each frame with the wall clock in microseconds; showinfo lists them.
  ffmpeg -nostdin -hide_banner -loglevel info -f x11grab -draw_mouse 0 -framerate 25 \
    -video_size "$(($3 - $1))x$(($4 - $2))" -t "$seconds" -i "$DISPLAY+$1,$2" \
    -copyts -vsync passthrough -vf showinfo "$dir/%d.png" >"$dir/ffmpeg.log" 2>&1 &
  E2E_RECORD_PID=$!
  first_frame() {
    kill -0 "$E2E_RECORD_PID" 2>/dev/null || [ -s "$dir/1.png" ] ||
      e2e_fail "the recording $name ended at once: $(tail -n 5 "$dir/ffmpeg.log")"
    [ -s "$dir/1.png" ]
  }
  e2e_until "the recording $name to start" first_frame
  E2E_RECORD_NAME=$name
}

e2e_record_wait() {
  local dir="$E2E_OUTPUT/$E2E_RECORD_NAME"
  wait "$E2E_RECORD_PID" || e2e_fail "the recording $E2E_RECORD_NAME failed: $(tail -n 5 "$dir/ffmpeg.log")"
  E2E_RECORD_PID=""
  sed -n 's/.*Parsed_showinfo.* n: *\([0-9]*\) pts: *\([0-9]*\) .*/\1 \2/p' "$dir/ffmpeg.log" |
    awk '{ print $1 + 1, $2 }' >"$dir/times"
  [ -s "$dir/times" ] || e2e_fail "no frame times in the recording $E2E_RECORD_NAME"
}

e2e_now_us() {
  local now
  now=$(date +%s%N)
  echo "${now%???}"
}

e2e_frame_changed() {
  e2e_crops_differ "$E2E_OUTPUT/$1/$2.png" "$E2E_OUTPUT/$1/$3.png" "${6}x${7}+${4}+${5}"
}

. "$(dirname "${BASH_SOURCE[0]}")/e2e-layout.sh"
