#!/usr/bin/env bash
# Closing at the login window: the typed user name is saved even without a login, the
# remembered password follows the box, the process ends with 0.
# Usage (under an X server): tst_loginclose.sh BIN_DIR
. "$(dirname "$0")/e2e-driver.sh"

# Points of the 1040 x 600 login window.
REMEMBER_BOX="625 360"
CLOSE_BUTTON="1010 30"

e2e_init "$1"
e2e_start_server --no-rtsp
e2e_write_config 'Username=admin\n'
e2e_start_client
e2e_wait_window "$WINDOW_TITLE"
e2e_wait_log '^GET /api/v1/advertisinglist'

# The field shows the stored name; it is replaced by typing.
e2e_click $LOGIN_USERNAME_FIELD
e2e_key ctrl+a
e2e_type operator7
e2e_click $LOGIN_PASSWORD_FIELD
e2e_type 'pa55word'
e2e_click $REMEMBER_BOX
e2e_click $CLOSE_BUTTON
e2e_wait_exit
[ "$E2E_EXIT_CODE" = 0 ] || e2e_fail "the client ended with $E2E_EXIT_CODE"
config="$E2E_DIR/config/config.ini"
grep -qx 'Username=operator7' "$config" || e2e_fail "config.ini lacks the typed user name"
grep -qx 'Remeber=true' "$config" || e2e_fail "config.ini lacks the remember flag"
grep -Eqx 'Password="?cGE1NXdvcmQ="?' "$config" || e2e_fail "config.ini lacks the remembered password"
[ "$(e2e_server_log | grep -c '/api/v1/login')" = 0 ] || e2e_fail "closing logged in"
e2e_expect_clean_log
e2e_note "passed"
