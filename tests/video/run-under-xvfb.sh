#!/usr/bin/env bash
# Runs a test on a virtual X display so that Qt Quick renders through OpenGL (Mesa).
set -eu
export QT_QPA_PLATFORM=xcb
export ZELKA_EXPECT_GPU=1
exec xvfb-run -a -s "-screen 0 1280x800x24" "$@"
