# Shell steps the benchmark scripts share; source it.

# Stops the test server PID: TERM, then KILL if it is still there after 5 s (a server whose
# RTSP sessions were cut off by a client's crash may not end on TERM).
bench_stop_server() {
  local pid=$1
  kill "$pid" 2>/dev/null || true
  for _ in 1 2 3 4 5 6 7 8 9 10; do kill -0 "$pid" 2>/dev/null || break; sleep 0.5; done
  kill -9 "$pid" 2>/dev/null || true
}

# Makes a scratch folder ($workdir), enters it, and on exit stops the test server whose id
# the script puts in $server_pid and removes the folder.
bench_enter_workdir() {
  workdir=$(mktemp -d)
  server_pid=""
  trap 'if [ -n "$server_pid" ]; then bench_stop_server "$server_pid"; fi; rm -rf "$workdir"' EXIT
  cd "$workdir"
}
