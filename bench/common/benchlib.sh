# Shell steps the benchmark scripts share; source it.

# Stops the test server PID: TERM, then KILL if it is still there after 5 s (a server whose
# RTSP sessions were cut off by a client's crash may not end on TERM).
bench_stop_server() {
  local pid=$1
  kill "$pid" 2>/dev/null || true
  for _ in 1 2 3 4 5 6 7 8 9 10; do kill -0 "$pid" 2>/dev/null || break; sleep 0.5; done
  kill -9 "$pid" 2>/dev/null || true
}
