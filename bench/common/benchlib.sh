# Shell steps the benchmark scripts share; source it.

# Configures $BUILD_DIR (default build-bench) optimised and without sanitizer when it has no
# configuration yet, then builds the targets named, with $JOBS (default 3) jobs.
bench_build() {
  local dir=${BUILD_DIR:-build-bench}
  if [ ! -f "$dir/CMakeCache.txt" ]; then
    cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZELKA_BUILD_TESTS=ON -DZELKA_BUILD_BENCH=ON \
        ${CMAKE_ARGS:-} >/dev/null
  fi
  local targets=()
  for target in "$@"; do targets+=(--target "$target"); done
  cmake --build "$dir" --parallel "${JOBS:-3}" "${targets[@]}" >/dev/null
}

bench_above_cores() {
  awk -v load="$1" -v cores="$(nproc)" 'BEGIN { exit !(load > cores) }'
}

# Waits up to 2 minutes for the 1-minute load average to come down to the number of cores
# (a heavy run of our own raises it by itself); leaves it in $bench_load. Still above: the
# figures would measure other work, so the script stops, unless BENCH_ALLOW_LOAD=1, which
# goes on (the reports mark figures taken above the limit from the loads they are given).
bench_wait_for_quiet() {
  local deadline=$((SECONDS + 120))
  bench_load=$(cut -d' ' -f1 /proc/loadavg)
  while bench_above_cores "$bench_load" && [ "${BENCH_ALLOW_LOAD:-}" != 1 ] && [ $SECONDS -lt $deadline ]; do
    sleep 5
    bench_load=$(cut -d' ' -f1 /proc/loadavg)
  done
  if bench_above_cores "$bench_load" && [ "${BENCH_ALLOW_LOAD:-}" != 1 ]; then
    echo "load average $bench_load above the $(nproc) cores: the figures would measure other work; not measuring" \
         "(BENCH_ALLOW_LOAD=1 measures anyway, marked)" >&2
    exit 2
  fi
}

# Stops the test server PID: TERM, then KILL if it is still there after 5 s. Its RTSP server
# program ends with it either way: it ends when its standard input closes.
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

# Starts the test server of the build's bin folder $1 on the data file $2 as a process of
# its own; leaves its id in $server_pid (stopped on exit, see bench_enter_workdir) and what
# it prints of itself in $http_port, $rtsp_port, $user and $password.
bench_start_server() {
  exec {server_out}< <(exec "$1/zelka_test_server" --data "$2")
  server_pid=$!
  http_port="" rtsp_port=""
  while IFS= read -r -t 120 -u "$server_out" line; do
    case $line in
      http\ *) http_port=${line##*:} ;;
      rtsp\ *) rtsp_port=${line##*:} ;;
      user\ *) user=${line#user } ;;
      password\ *) password=${line#password }; break ;;
    esac
  done
  [ -n "$http_port" ] || { echo "the test server did not start" >&2; exit 1; }
}
