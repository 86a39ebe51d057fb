#!/usr/bin/env bash
# Installs, builds, starts the local test server (seeded data, 127.0.0.1 only) and then the
# client in ./run/ (its config/ lives there); the server stops when the client exits.
# A fresh run/config/config.ini points the client at that server. run/.run-host remembers the
# Host it wrote: while config.ini still names that Host, it follows this run's port; a Host
# set otherwise (by hand, in the client) is kept.
# ZELKA_SITE_DATA=FILE serves FILE instead of the seeded data (for a large site:
# tests/server/make-site.py DEVICES CHANNELS FILE).
set -euo pipefail
site_data=${ZELKA_SITE_DATA:+$(realpath "$ZELKA_SITE_DATA")}
cd "$(dirname "$0")/.."
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  echo 'run.sh: no display; on a headless machine run: xvfb-run -a -s "-screen 0 1920x1080x24" bash scripts/run.sh' >&2
  exit 1
fi
# Only what a first look needs: the client (with the player library it links) and the test server.
bash scripts/build.sh ZelkaVSS_Client zelka_test_server
BUILD_DIR=${BUILD_DIR:-build}
BIN="$(realpath -m "$BUILD_DIR")/bin"
mkdir -p run/config
cd run

# First port from $1 upward that nothing on 127.0.0.1 answers on.
free_port() {
  local port=$1
  while (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null; do port=$((port + 1)); done
  echo "$port"
}

HTTP_PORT=$(free_port "${ZELKA_HTTP_PORT:-18080}")
RTSP_PORT=$(free_port "${ZELKA_RTSP_PORT:-18554}")
[ "$RTSP_PORT" = "$HTTP_PORT" ] && RTSP_PORT=$(free_port $((HTTP_PORT + 1)))

server_args=(--port "$HTTP_PORT" --rtsp-port "$RTSP_PORT")
if [ -n "$site_data" ]; then server_args+=(--data "$site_data"); fi
exec {server_out}< <(exec "$BIN/zelka_test_server" "${server_args[@]}")
SERVER_PID=$!
trap 'kill "$SERVER_PID" 2>/dev/null || true; wait "$SERVER_PID" 2>/dev/null || true' EXIT

# The first start makes the media fixtures with ffmpeg, which takes a few seconds.
# The server prints its HTTP port, then its RTSP port.
while IFS= read -r -t 120 -u "$server_out" line; do
  echo "test server: $line"
  case $line in
    http\ *) HTTP_PORT=${line##*:} ;;
    rtsp\ *) break ;;
  esac
done
if ! kill -0 "$SERVER_PID" 2>/dev/null; then
  echo "test server did not start" >&2
  exit 1
fi

# config.ini's Host, unquoted as the client may have written it.
config_host() {
  sed -n 's/^Host=//p' config/config.ini | head -n 1 | sed 's/^"\(.*\)"$/\1/'
}

# The Host line set to HOST, the rest as it stands; owner-only, as the client keeps it.
set_config_host() {
  local rewritten
  rewritten=$(mktemp config/config.ini.XXXXXX)
  sed "s/^Host=.*/Host=$1/" config/config.ini >"$rewritten"
  chmod 600 "$rewritten"
  mv "$rewritten" config/config.ini
}

HOST=127.0.0.1:$HTTP_PORT
if [ ! -e config/config.ini ]; then
  (umask 077 && printf '[Global]\nHost=%s\nUsername=admin\n' "$HOST" > config/config.ini)
  echo "$HOST" > .run-host
  echo "wrote run/config/config.ini for $HOST"
elif [ -e .run-host ] && [ "$(config_host)" = "$(cat .run-host)" ]; then
  [ "$(config_host)" = "$HOST" ] || set_config_host "$HOST"
  echo "$HOST" > .run-host
  echo "run/config/config.ini points at $HOST"
else
  echo "keeping run/config/config.ini (Host=$(config_host), not written by run.sh); the test server listens on $HOST"
fi
echo "log in as user admin, password admin123"

"$BIN/ZelkaVSS_Client"
