#!/usr/bin/env bash
# The first run of an operator: the login window with the server's title and adverts,
# admin / admin123 typed and sent by clicks, the main window, its close button.
# Usage (under an X server): tst_login.sh BIN_DIR
. "$(dirname "$0")/e2e-driver.sh"

e2e_init "$1"
e2e_start_server --no-rtsp
e2e_write_config
e2e_start_client
e2e_wait_window "$WINDOW_TITLE"
[ "$E2E_W" = $LOGIN_W ] && [ "$E2E_H" = $LOGIN_H ] || e2e_fail "login window is ${E2E_W}x${E2E_H}"
e2e_wait_log '^GET /api/v1/getotherconfig'
e2e_wait_log '^GET /media/advert/1\.jpg'
e2e_screenshot_drawn login

e2e_click $LOGIN_USERNAME_FIELD
e2e_type admin
e2e_click $LOGIN_PASSWORD_FIELD
e2e_type admin123
e2e_click $LOGIN_BUTTON
e2e_wait_log '^GET /api/v1/login\?username=admin&password=0192023a7bbd73250516f069df18b500&captcha=$'

e2e_wait_window --new "$WINDOW_TITLE"
[ "$E2E_W" -ge 1600 ] || e2e_fail "main window is ${E2E_W}x${E2E_H}"
e2e_wait_only_window
# The top strip of the main window lies outside where the login window was.
e2e_screenshot_drawn main 0 0 "$E2E_W" 100

e2e_close_main_window
grep -qx 'Username=admin' "$E2E_DIR/config/config.ini" || e2e_fail "config.ini lacks the user name"
grep -qx 'Host=127.0.0.1:'"$E2E_PORT" "$E2E_DIR/config/config.ini" || e2e_fail "config.ini lost the host"
e2e_expect_clean_log
e2e_note "passed"
