#!/usr/bin/env bash
# The login by an operator whose clicks are held a while (a deliberate click, a touchpad
# press, a click stretched by a busy machine): each field takes the typing that follows the
# click on it, the server gets the user name and password as typed, and config.ini keeps the
# user name, never the password. With REMEMBERED, config.ini names the user before the
# start (the field shows it, and the hidden captcha field is there to take stray typing).
# Usage (under an X server): heldclicks.sh BIN_DIR SECONDS [REMEMBERED]
. "$(dirname "$0")/e2e-driver.sh"

HOLD=$2
REMEMBERED=${3:-}
# md5 of admin123
PASSWORD_MD5=0192023a7bbd73250516f069df18b500

e2e_init "$1"
e2e_start_server --no-rtsp
if [ -n "$REMEMBERED" ]; then
  e2e_write_config $'Username=admin\n'
else
  e2e_write_config
fi
e2e_start_client
e2e_wait_window "$WINDOW_TITLE"
e2e_wait_log '^GET /api/v1/getotherconfig'
e2e_screenshot_drawn login

# shellcheck disable=SC2046,SC2086
e2e_click_held $(login_point $LOGIN_USERNAME_FIELD) "$HOLD"
e2e_key ctrl+a
e2e_type admin
# shellcheck disable=SC2046,SC2086
e2e_click_held $(login_point $LOGIN_PASSWORD_FIELD) "$HOLD"
e2e_type admin123
# shellcheck disable=SC2046,SC2086
e2e_click $(login_point $LOGIN_BUTTON)
e2e_wait_log '^GET /api/v1/login\?'
login=$(e2e_server_log | grep -E '^GET /api/v1/login\?' | head -n 1)
[ "$login" = "GET /api/v1/login?username=admin&password=$PASSWORD_MD5&captcha=" ] ||
  e2e_fail "the login sent was: $login"

e2e_wait_window --new "$WINDOW_TITLE"
e2e_wait_only_window
e2e_close_main_window
grep -qx 'Username=admin' "$E2E_DIR/config/config.ini" || e2e_fail "config.ini lacks the user name: $(grep Username "$E2E_DIR/config/config.ini")"
e2e_expect_clean_log
e2e_note "passed"
