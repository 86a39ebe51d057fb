#!/usr/bin/env bash
# The README's run command (scripts/run.sh) run again and again from one folder: the
# config.ini it wrote follows the port its test server got this time, also when another
# program holds the first one; a Host set by hand is kept; the user name and password are
# printed every time. Run from a copy of the script whose build step does nothing, on the
# build under test.
. "$(dirname "$0")/e2e-driver.sh"

e2e_init "$1"
TREE=$E2E_DIR/tree
mkdir -p "$TREE/scripts" "$E2E_DIR/served"
cp "$(dirname "$0")/../../scripts/run.sh" "$TREE/scripts/"
printf '#!/usr/bin/env bash\n' >"$TREE/scripts/build.sh"
BUILD_DIR=$(dirname "$E2E_BIN")
OTHER_PID=""
trap 'e2e_cleanup; [ -z "$OTHER_PID" ] || kill "$OTHER_PID" 2>/dev/null || true' EXIT

# A port nothing listens on, for this test alone (others run beside it).
free_port() {
  python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'
}
FIRST_PORT=$(free_port)
RTSP_FIRST_PORT=$(free_port)

RUN=0
# Starts the run command; its client becomes the driver's client, the port its server
# printed $E2E_PORT.
start_run() {
  RUN=$((RUN + 1))
  RUN_OUT=$E2E_DIR/run$RUN.out
  (cd "$TREE" && exec env BUILD_DIR="$BUILD_DIR" ZELKA_HTTP_PORT="$FIRST_PORT" ZELKA_RTSP_PORT="$RTSP_FIRST_PORT" \
     bash scripts/run.sh >"$RUN_OUT" 2>&1) &
  RUN_PID=$!
  client_started() {
    kill -0 "$RUN_PID" 2>/dev/null || e2e_fail "run $RUN ended: $(cat "$RUN_OUT")"
    E2E_CLIENT_PID=$(pgrep -P "$RUN_PID" -x ZelkaVSS_Client || true)
    [ -n "$E2E_CLIENT_PID" ]
  }
  E2E_PATIENCE=$((E2E_PATIENCE * 4)) e2e_until "run $RUN to start the client" client_started
  E2E_PORT=$(sed -n 's/^test server: http 127\.0\.0\.1:\([0-9]*\)$/\1/p' "$RUN_OUT")
  grep -qx 'log in as user admin, password admin123' "$RUN_OUT" ||
    e2e_fail "run $RUN did not print the user name and password: $(cat "$RUN_OUT")"
  e2e_note "run $RUN: test server on 127.0.0.1:$E2E_PORT"
}

# The run command ends with its client: the close button logs out and ends both.
close_run() {
  e2e_click "$(title_button_x 0)" $TITLE_BUTTON_Y
  e2e_wait_log '^POST /api/v1/logout'
  local code=0
  wait "$RUN_PID" || code=$?
  [ "$code" = 0 ] || e2e_fail "run $RUN ended with $code: $(cat "$RUN_OUT")"
  E2E_CLIENT_PID=""
}

config_host() {
  sed -n 's/^Host=//p' "$TREE/run/config/config.ini" | sed 's/^"\(.*\)"$/\1/'
}

start_run
[ "$E2E_PORT" = "$FIRST_PORT" ] || e2e_fail "run 1's server is on $E2E_PORT, not $FIRST_PORT"
e2e_log_in
close_run

# Another program on the first port: the second run's server takes the next free one, and
# the client follows it there.
(cd "$E2E_DIR/served" && exec python3 -m http.server "$FIRST_PORT" --bind 127.0.0.1 >/dev/null 2>&1) &
OTHER_PID=$!
other_listens() { curl -sf "http://127.0.0.1:$FIRST_PORT/" >/dev/null; }
e2e_until "the other program on $FIRST_PORT" other_listens
start_run
[ "$E2E_PORT" != "$FIRST_PORT" ] || e2e_fail "run 2's server reports the held port $FIRST_PORT"
[ "$(config_host)" = "127.0.0.1:$E2E_PORT" ] || e2e_fail "config.ini names $(config_host), run 2's server is on $E2E_PORT"
[ "$(stat -c %a "$TREE/run/config/config.ini")" = 600 ] || e2e_fail "config.ini is no longer owner-only"
e2e_log_in
close_run
grep -qx 'Username=admin' "$TREE/run/config/config.ini" || e2e_fail "config.ini lost the user name"

# A Host set by hand stays, whatever port the server gets.
sed -i 's/^Host=.*/Host=192.0.2.1:8080/' "$TREE/run/config/config.ini"
kill "$OTHER_PID"
wait "$OTHER_PID" 2>/dev/null || true
OTHER_PID=""
start_run
grep -q '^keeping run/config/config.ini' "$RUN_OUT" || e2e_fail "run 3 did not say it kept config.ini: $(cat "$RUN_OUT")"
[ "$(config_host)" = "192.0.2.1:8080" ] || e2e_fail "run 3 replaced the Host set by hand with $(config_host)"
kill "$E2E_CLIENT_PID"
wait "$RUN_PID" 2>/dev/null || true
E2E_CLIENT_PID=""

# The client's output went into the run command's.
cat "$E2E_DIR"/run*.out >"$E2E_DIR/client.log"
e2e_expect_clean_log
e2e_note "passed"
