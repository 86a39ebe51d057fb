#!/usr/bin/env bash
# Runs a test on a virtual X display so that Qt Quick renders through OpenGL (Mesa).
set -eu
export QT_QPA_PLATFORM=xcb
export ZELKA_EXPECT_GPU=1
# AddressSanitizer as for every OpenGL test (ZELKA_GL_TEST_ENV in tests/CMakeLists.txt):
# no leak checks, fast unwinding.
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0:fast_unwind_on_malloc=1"
exec "$(dirname "$0")/../common/with-xvfb.sh" "-screen 0 1280x800x24" "$@"
