#!/usr/bin/env bash
# The camera tile as an operator meets it in the home page's wall: a channel clicked in
# the tree plays in the first tile (its picture shows); one move of the pointer onto the
# small tile shows its narrow bar, fading in with the label, for the 2 s that follow,
# and hovering it shows both; a double-click maximises the tile over the wall, where
# hovering shows the wide bar, whose record and snapshot buttons leave an MP4 and a PNG
# beside the executable and whose statistics overlay shows, and the joystick of the PTZ
# overlay steers the camera; a double-click puts the tile back, and a second channel
# replaces the first on the server.
# Usage (under an X server): tst_cameratile.sh BIN_DIR
. "$(dirname "$0")/e2e-driver.sh"

# Points of the main window at scale 1 (1688 x 950). The wall's first tile: 411..843 x
# 96..354; maximised it covers the wall, 411..1280 x 96..617.
TILE_CENTRE="627 200"
WALL_CENTRE="845 300"
# Channels 101 and 102 play still pictures of one colour each: only what the tile draws
# over them changes its part of the screen. The small tile's statistics label at the
# bottom left and its narrow bar along the bottom edge (both hide while it is not hovered).
LABEL_AREA="415 270 200 50"
NARROW_BAR_AREA="418 322 195 30"
# Both; the tile, recorded, and in the recording's own points the label's plate left of its
# texts and the narrow bar.
HOVER_AREA="415 270 200 82"
TILE_AREA="411 96 432 258"
RECORDED_PLATE_EDGE="14 184 8 34"
RECORDED_BAR="7 226 195 30"
# The maximised tile: the wide bar's buttons along an arch above the bottom edge, the
# statistics overlay at the top left, the joystick at the bottom right.
BAR_AREA="619 485 340 90"
# A point of the wide bar's dark band under its captions.
BAR_BAND="760 566"
RECORD_BUTTON="805 531"
SNAPSHOT_BUTTON="885 531"
VIDEO_INFO_BUTTON="1045 513"
OVERLAY_AREA="423 108 230 200"
JOYSTICK_CENTRE="1203 513"
BIN=$1

e2e_init "$1"
# The desktop's URL opener, as the client finds it: it notes what it is given.
mkdir -p "$E2E_DIR/opener"
printf '#!/bin/sh\necho "$1" >> "%s/opened.txt"\n' "$E2E_DIR" > "$E2E_DIR/opener/xdg-open"
chmod +x "$E2E_DIR/opener/xdg-open"
export PATH="$E2E_DIR/opener:$PATH"
e2e_seed_data "$E2E_OUTPUT/still.json" 'channel(101)["_Stream"] = "h264-still"; channel(102)["_Stream"] = "h265-still"'
e2e_start_logged_in --data "$E2E_OUTPUT/still.json"

# Device 1 opens; its first channel (101) plays in the first tile.
e2e_home_pick_first_channel
e2e_wait_log '^GET /api/v1/gettoken\?channel=101$'
e2e_wait_log '^GET /api/v1/devices/channelstream\?device=1&channel=101&protocol=RTSP&token='
# Away from the tile, so that its overlays stay hidden.
e2e_hover 1500 900
e2e_screenshot_colour playing-1 "the picture of channel 101 in the tile" $TILE_CENTRE $E2E_STILL_H264
sleep 1
e2e_screenshot playing-2

# Resting on the tile after one move, the pointer shows the narrow bar for the 2 s that
# follow, from the frame where the tile first answers: the bar fades in with the label's
# plate (it used to stay away for its fade's quarter second while the plate faded in, and
# then pop in whole). The screen is recorded frame by frame and each frame judged as it
# was when taken, however late a loaded machine looks at it. The client hears of the
# move no sooner than it was made: the bar shows until 2 s after the move, at least, by
# the client's clock. That clock is Qt Quick's animation clock, which the render loop
# advances a frame at a time and which can run a few percent ahead of the wall clock under
# Xvfb (seen: the bar gone 1936 ms after the move): the frames are judged up to 1.8 s
# after it, still far past the quarter second the bar used to stay away.
# A client too slow to answer within that time is given another move.
SHOWN_US=1800000
bar_rests_with_the_pointer() {
  e2e_hover 1500 900
  e2e_screenshot_same playing-2 rested "the tile's overlays hidden" $HOVER_AREA
  e2e_record resting 3 $TILE_AREA
  local moved n taken answered=""
  moved=$(e2e_now_us)
  e2e_hover $TILE_CENTRE
  e2e_record_wait
  while read -r n taken; do
    [ "$taken" -gt "$moved" ] && [ "$taken" -le $((moved + SHOWN_US)) ] || continue
    if e2e_frame_changed resting 1 "$n" $RECORDED_BAR; then
      [ -n "$answered" ] || answered=$n
    elif [ -n "$answered" ] || e2e_frame_changed resting 1 "$n" $RECORDED_PLATE_EDGE; then
      e2e_fail "the narrow bar is missing $(((taken - moved) / 1000)) ms after the pointer's move (frame $n of $E2E_OUTPUT/resting, the tile answered $([ -n "$answered" ] && echo "in frame $answered" || echo "with the label alone"))"
    fi
  done <"$E2E_OUTPUT/resting/times"
  [ -n "$answered" ] || { e2e_note "no answer of the tile within 1.8 s of the move: once more"; return 1; }
  taken=$(awk -v n="$answered" '$1 == n { print $2 }' "$E2E_OUTPUT/resting/times")
  e2e_note "the narrow bar's first frame $(((taken - moved) / 1000)) ms after the move, shown until 1.8 s after it at least"
  # The tile in the bar's first frame, mid-fade.
  cp "$E2E_OUTPUT/resting/$answered.png" "$E2E_OUTPUT/bar-fading-in.png"
}
e2e_until "the narrow bar shown for 2 s after a move of the pointer" bar_rests_with_the_pointer

# Hovered, the small tile shows its statistics label and its narrow bar. Both hide 2 s
# after the pointer's last move, sooner than a loaded machine may take a screenshot: the
# pointer keeps moving about the tile while they are awaited.
e2e_keep_hovering $TILE_CENTRE
e2e_screenshot_changed playing-2 hovered "the statistics label on the hovered tile" $LABEL_AREA
e2e_expect_changed playing-2 hovered "the narrow bar on the hovered tile" $NARROW_BAR_AREA
e2e_stop_hovering

# A double-click maximises the tile over the wall; hovered, it shows the wide bar.
xdotool click --repeat 2 --delay 80 1
e2e_hover 1500 900
# Left alone, the bar hides (2 s after the pointer's last move, and later on a loaded
# machine): the picture's own colour shows again where its band was.
e2e_screenshot_colour maximised "the maximised tile without its bar" $BAR_BAND $E2E_STILL_H264
e2e_keep_hovering $WALL_CENTRE
e2e_screenshot_changed maximised maximised-hovered "the tool bar on the hovered tile" $BAR_AREA
e2e_stop_hovering

# Record for a while, then a snapshot: the files land beside the executable.
touch "$E2E_DIR/before-files"
sleep 1
# On the bar first: the bars show only while the pointer is about.
e2e_hover $RECORD_BUTTON
sleep 1
e2e_click $RECORD_BUTTON
# The file starts at the stream's next key frame, which a loaded machine may take a while
# to reach: stopped before it, the recording would have nothing to keep.
recording_started() {
  find "$BIN/record/video" -newer "$E2E_DIR/before-files" -name '东门入口-*.mp4' -size +0 | grep -q .
}
e2e_until "the recording's file beside the executable" recording_started
sleep 1
e2e_screenshot recording
# Each click where the pointer has just moved, so that the bar under it knows it.
e2e_hover $((${RECORD_BUTTON% *} + 2)) ${RECORD_BUTTON#* }
sleep 0.5
e2e_click $RECORD_BUTTON
opened() {
  grep -qx "file://$1" "$E2E_DIR/opened.txt" 2>/dev/null
}
e2e_until "the recording folder handed to the URL opener" opened "$BIN/record/video"
e2e_screenshot recorded
# The pointer wakes the bar on the picture first, as a hand would after the recording
# folder opened.
e2e_hover ${SNAPSHOT_BUTTON% *} $((${SNAPSHOT_BUTTON#* } - 120))
sleep 1
e2e_hover $((${SNAPSHOT_BUTTON% *} + 2)) ${SNAPSHOT_BUTTON#* }
sleep 1
e2e_click $SNAPSHOT_BUTTON
e2e_until "the snapshot folder handed to the URL opener" opened "$BIN/snapshot/video"
files_written() {
  find "$BIN/record/video" -newer "$E2E_DIR/before-files" -name '东门入口-*.mp4' | grep -q . &&
    find "$BIN/snapshot/video" -newer "$E2E_DIR/before-files" -name '东门入口-*.png' | grep -q .
}
e2e_until "the recording and the snapshot beside the executable" files_written
RECORDING=$(find "$BIN/record/video" -newer "$E2E_DIR/before-files" -name '东门入口-*.mp4' | head -n 1)
ffprobe -v error -select_streams v -show_entries stream=codec_name,width,height -of csv=p=0 "$RECORDING" |
  grep -qx 'h264,640,360' || e2e_fail "the recording $RECORDING is no 640x360 H.264 video"
SNAPSHOT=$(find "$BIN/snapshot/video" -newer "$E2E_DIR/before-files" -name '东门入口-*.png' | head -n 1)
[ "$(identify -format '%m %wx%h' "$SNAPSHOT")" = "PNG 640x360" ] || e2e_fail "the snapshot $SNAPSHOT is no 640x360 PNG"
rm -f "$RECORDING" "$SNAPSHOT"

# The statistics overlay, switched on from the bar.
e2e_click $VIDEO_INFO_BUTTON
sleep 1
e2e_screenshot videoinfo
e2e_expect_changed maximised-hovered videoinfo "the statistics overlay" $OVERLAY_AREA

# A drag on the joystick steers: a start on press, a stop on release.
xdotool mousemove --sync $((E2E_X + ${JOYSTICK_CENTRE% *})) $((E2E_Y + ${JOYSTICK_CENTRE#* } - 30))
xdotool mousedown 1
sleep 0.3
e2e_screenshot steering
xdotool mousemove --sync $((E2E_X + ${JOYSTICK_CENTRE% *} + 30)) $((E2E_Y + ${JOYSTICK_CENTRE#* }))
sleep 0.3
xdotool mouseup 1
e2e_wait_log '^GET /api/v1/ptzcontrol\?device=1&channel=101&command=up&direction=up&speed=100$'
e2e_wait_log '^GET /api/v1/ptzcontrol\?device=1&channel=101&command=right&direction=right&speed=100$'
e2e_wait_log '^GET /api/v1/ptzcontrol\?device=1&channel=101&command=stop&direction=right&speed=100$'

# A double-click puts the tile back in its cell, as the current tile: the next channel
# (102) takes over there; the server hears the stop of the first.
e2e_hover $WALL_CENTRE
xdotool click --repeat 2 --delay 80 1
sleep 0.5
e2e_click $HOME_TEXT_X "$(home_row_y 2)"
e2e_wait_log '^GET /api/v1/devices/stopchannelstream\?device=1&channel=101&stream_type=play$'
e2e_wait_log '^GET /api/v1/devices/channelstream\?device=1&channel=102&protocol=RTSP&token='
e2e_hover 1500 900
e2e_screenshot_colour second-channel "the picture of channel 102 in the tile" $TILE_CENTRE $E2E_STILL_H265

e2e_close_and_pass
