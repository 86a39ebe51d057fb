#!/usr/bin/env bash
# Installs, builds, starts the local test server (seeded data, 127.0.0.1 only) and then the
# client in ./run/ (its config/ lives there); the server stops when the client exits.
# A fresh run/config/config.ini points the client at that server; an existing one is kept.
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
BIN="$PWD/$BUILD_DIR/bin"
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

if [ ! -e config/config.ini ]; then
  (umask 077 && printf '[Global]\nHost=127.0.0.1:%s\nUsername=admin\n' "$HTTP_PORT" > config/config.ini)
  echo "wrote run/config/config.ini for 127.0.0.1:$HTTP_PORT (user admin, password admin123)"
else
  echo "keeping run/config/config.ini; the test server listens on 127.0.0.1:$HTTP_PORT"
fi

"$BIN/ZelkaVSS_Client"
