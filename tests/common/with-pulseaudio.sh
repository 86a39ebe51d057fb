#!/usr/bin/env bash
# Runs a command with a private PulseAudio daemon whose default source and sink are
# null devices, so microphone code has a real (silent) input on a headless machine.
# A sound server that does not start fails the run: the tests behind it would find no
# microphone and prove nothing. The command finds the source's name in
# ZELKA_TEST_MICROPHONE.
set -u
# Its own runtime folder, also where the session has one: tests that run side by side
# each start their daemon, and a second one in a shared folder would not start.
XDG_RUNTIME_DIR=$(mktemp -d)
export XDG_RUNTIME_DIR
chmod 700 "$XDG_RUNTIME_DIR"
config="$XDG_RUNTIME_DIR/zelka-pulse.pa"
log="$XDG_RUNTIME_DIR/zelka-pulse.log"
cat > "$config" <<'PA'
load-module module-native-protocol-unix
load-module module-null-source source_name=zelka_null_source
load-module module-null-sink sink_name=zelka_null_sink
set-default-source zelka_null_source
set-default-sink zelka_null_sink
PA
fail() {
  echo "with-pulseaudio.sh: $*" >&2
  exit 1
}
command -v pulseaudio >/dev/null 2>&1 || fail "pulseaudio is not installed (scripts/install-deps.sh installs it)"
pulseaudio -n -F "$config" --exit-idle-time=-1 --daemonize=yes --log-target=stderr 2>"$log" ||
  fail "the sound server did not start: $(tail -n 5 "$log")"
# Up to 30 s, as every wait in the tests: a loaded machine starts it slowly.
ready() { [ "$(pactl get-default-source 2>/dev/null)" = zelka_null_source ]; }
for _ in $(seq 1 300); do ready && break; sleep 0.1; done
ready || fail "the sound server did not offer zelka_null_source as the default source within 30 s"
export ZELKA_TEST_MICROPHONE=zelka_null_source
"$@"
status=$?
pactl exit >/dev/null 2>&1 || true
rm -rf "$XDG_RUNTIME_DIR"
exit $status
