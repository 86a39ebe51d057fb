#!/usr/bin/env bash
# The electronic map as an operator meets it: no tile fetched before the page is shown,
# then only those around the server's centre, a device of the side panel putting pins at
# its channels, a hovered pin's label, a clicked pin playing its live stream above it
# (over the neighbouring pins) and stopping it, the satellite, default and street
# switches, and a right drag that tilts the map under the sky.
# Usage (under an X server): tst_electronicmap.sh BIN_DIR
. "$(dirname "$0")/e2e-driver.sh"

# Points of the main window at scale 1 (1688 x 950). The map fills the page; the first
# located channel comes to its centre, its pin (24 x 32) standing on it. The type bar
# ends 5 left of the side panel and 25 above the bottom.
DEVICE_ROW="$PANEL_TEXT_X $(panel_row_y 0)"
PIN="844 480"
STREET_BOX="1249 905"
DEFAULT_BUTTON="1301 905"
SATELLITE_BUTTON="1340 905"
MAP_AREA="200 100 1100 750"
TILE_AREA="619 150 450 300"
# 4 x 4 inside the lens ring of the pins of channels 103 and 104, which stand under the
# tile of channel 101's pin.
PIN_103_LENS="798 432 4 4"
PIN_104_LENS="884 415 4 4"
SKY_AREA="200 100 1100 200"

# Clicks POINT ("X Y"), awaits the change WHAT of the map from screenshot BEFORE
# and lets the map finish loading: screenshot AFTER is the next one's reference.
map_switch() {
  local point=$1 before=$2 after=$3 what=$4
  # shellcheck disable=SC2086
  e2e_click $point
  e2e_hover 100 900
  e2e_screenshot_changed "$before" "$after" "$what" $MAP_AREA
  e2e_wait_still "$after" "$what, at rest" $MAP_AREA
}

e2e_init "$1"
e2e_start_logged_in
# Built at login, not shown yet: no tile asked for.
[ "$(e2e_server_log | grep -c '^GET /tiles/')" = 0 ] || e2e_fail "the hidden map page fetched tiles"
e2e_open_page $MENU_MAP
e2e_wait_log '^GET /tiles/satellite/'
e2e_wait_log '^GET /tiles/street/'
e2e_hover 800 900
e2e_screenshot_drawn map 200 100 1100 750
e2e_wait_still map "the map at rest" $MAP_AREA
e2e_note "tiles asked for when first shown: $(e2e_server_log | grep -c '^GET /tiles/')"
# Only tiles of level 15 around the server's centre (120.15507, 30.27415): none of the
# map's default at 0,0 or of a glide from there.
far=$(e2e_server_log | grep '^GET /tiles/' | /usr/bin/python3 -c '
import math, sys
z = 15
n = 2 ** z
x0 = (120.15507 + 180) / 360 * n
y0 = (1 - math.asinh(math.tan(math.radians(30.27415))) / math.pi) / 2 * n
for line in sys.stdin:
    kind, level, x, y = line.split()[1].split("?")[0].split("/")[2:6]
    if int(level) != z or abs(int(x) - x0) > 5 or abs(int(y.split(".")[0]) - y0) > 4:
        print(line.strip())
')
[ -z "$far" ] || e2e_fail "tiles far from the start: $(echo "$far" | head -3)"

# A device: pins at its located channels, the map gliding to the first.
map_switch "$DEVICE_ROW" map pins "the map to move to the device's channels"
e2e_hover $PIN
sleep 1
e2e_screenshot_changed pins pin-hover "a label over the hovered pin" 700 320 300 160

# The pin plays its channel above itself, and stops it.
e2e_click $PIN
e2e_wait_log '^GET /api/v1/gettoken\?channel=101$'
e2e_wait_log '^GET /api/v1/devices/channelstream\?device=1&channel=101'
e2e_hover 100 900
sleep 3
e2e_screenshot_changed pins pin-playing "a tile above the pin" $TILE_AREA
# The playing tile stands above the pins that it covers.
e2e_expect_changed pins pin-playing "the playing tile over pin 103" $PIN_103_LENS
e2e_expect_changed pins pin-playing "the playing tile over pin 104" $PIN_104_LENS
e2e_click $PIN
e2e_wait_log '^GET /api/v1/devices/stopchannelstream\?device=1&channel=101&stream_type=play$'
e2e_hover 100 900
e2e_wait_still stopped "the map without the tile" $MAP_AREA

# Default, satellite, the street layer off and on. The default base carries the same
# roads as the street layer, so the layer's going shows over the satellite base.
map_switch "$DEFAULT_BUTTON" stopped default-map "the default base"
e2e_wait_log '^GET /tiles/hybrid/'
map_switch "$SATELLITE_BUTTON" default-map satellite-map "the satellite base"
map_switch "$STREET_BOX" satellite-map no-street "the street layer to go"
map_switch "$STREET_BOX" no-street satellite-streets "the street layer to come back"

# A right drag upwards tilts the map; the sky shows above the horizon.
xdotool mousemove --sync $((E2E_X + 700)) $((E2E_Y + 600))
xdotool mousedown 3
for step in $(seq 1 16); do
  xdotool mousemove --sync $((E2E_X + 700)) $((E2E_Y + 600 - 10 * step))
done
xdotool mouseup 3
e2e_hover 100 900
sleep 1
e2e_screenshot_changed satellite-streets tilted "the map to tilt" $SKY_AREA

e2e_close_and_pass
