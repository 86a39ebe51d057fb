#!/usr/bin/env bash
# Runs a command on a virtual X server of its own, as `xvfb-run -a -s ARGS` does, with the
# display number chosen by the server itself (-displayfd): xvfb-run's search for a free
# number races when tests start side by side, and two of them could take one display.
# Keys repeat only after a minute: xdotool's key presses held up on a loaded machine would
# otherwise be typed twice (Xvfb ignores `xset r off`). The server never resets: by default it
# starts anew (keymap compiled again and all) each time its last client leaves, which a test's
# first steps do one after another; once, under two sanitizer suites, the test's second
# client found no server on a display its first had just reached.
# Usage: with-xvfb.sh "SERVER ARGS" COMMAND [ARGS...]
set -eu
server_args=$1
shift
dir=$(mktemp -d)
xvfb=
stop() {
  if [ -n "$xvfb" ]; then
    kill "$xvfb" 2>/dev/null || true
    wait "$xvfb" 2>/dev/null || true
  fi
  rm -rf "$dir"
}
trap stop EXIT
# A server that named its display may still not be there for clients: once, with many
# servers starting and stopping side by side, a test's first client found none on the
# display just named. Such a server is replaced by another (which picks its own number).
reachable() {
  local tries
  for ((tries = 0; tries < 50; tries++)); do
    kill -0 "$xvfb" 2>/dev/null || return 1
    DISPLAY=":$1" xset q >/dev/null 2>&1 && return 0
    sleep 0.2
  done
  return 1
}
for attempt in 1 2 3; do
  rm -f "$dir/display"
  mkfifo "$dir/display"
  # shellcheck disable=SC2086 # the server's arguments are words
  Xvfb -displayfd 3 -nolisten tcp -noreset -ardelay 60000 -arinterval 60000 $server_args 3>"$dir/display" 2>"$dir/log" &
  xvfb=$!
  if ! read -r -t 60 number < "$dir/display"; then
    cat "$dir/log" >&2
    echo "with-xvfb.sh: Xvfb did not start" >&2
    exit 1
  fi
  reachable "$number" && break
  echo "with-xvfb.sh: no client reaches the display :$number that Xvfb named (try $attempt): $(tail -n 3 "$dir/log")" >&2
  kill "$xvfb" 2>/dev/null || true
  wait "$xvfb" 2>/dev/null || true
  xvfb=
  [ "$attempt" -lt 3 ] || exit 1
done
export DISPLAY=":$number"
status=0
"$@" || status=$?
if [ "$status" -ne 0 ] && ! kill -0 "$xvfb" 2>/dev/null; then
  echo "with-xvfb.sh: the X server of :$number ended during the run: $(tail -n 5 "$dir/log")" >&2
fi
exit "$status"
