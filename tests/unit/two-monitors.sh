#!/usr/bin/env bash
# Runs a command on the X display (Xvfb -noreset, one 3520 x 1200 screen) made into a desk
# of two RandR monitors, as Qt's X11 platform sees them: A 1920 x 1080, the primary, and
# B 1600 x 1200 right of it, and a window manager's work area (as icewm names it: its task
# bar 26 pixels high along A's bottom) already there when the command starts: the first of
# two desktops, the second with a panel 30 pixels high along the desk's top.
# Usage: two-monitors.sh COMMAND [ARGS...]
set -eu
xrandr --setmonitor A 1920/508x1080/286+0+0 screen >/dev/null
xrandr --setmonitor B 1600/423x1200/318+1920+0 none >/dev/null
xrandr --output screen --primary
xprop -root -f _NET_CURRENT_DESKTOP 32c -set _NET_CURRENT_DESKTOP 0
xprop -root -f _NET_WORKAREA 32c -set _NET_WORKAREA 0,0,3520,1054,0,30,3520,1050
exec "$@"
