#!/usr/bin/env bash
# Runs a test on a virtual X display so that Qt Quick renders through OpenGL (Mesa).
set -eu
export QT_QPA_PLATFORM=xcb
export ZELKA_EXPECT_GPU=1
# Mesa's driver keeps allocations without symbols for the process's life, which leak
# suppressions cannot name; leaks of our code are checked by the offscreen runs.
if [ -n "${LSAN_OPTIONS:-}" ]; then
    export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"
fi
exec xvfb-run -a -s "-screen 0 1280x800x24" "$@"
