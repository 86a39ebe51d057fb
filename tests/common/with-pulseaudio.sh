#!/usr/bin/env bash
# Runs a command with a private PulseAudio daemon whose default source and sink are
# null devices, so microphone code has a real (silent) input on a headless machine.
set -u
export XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$(mktemp -d)}
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
config="$XDG_RUNTIME_DIR/zelka-pulse.pa"
cat > "$config" <<'PA'
load-module module-native-protocol-unix
load-module module-null-source source_name=zelka_null_source
load-module module-null-sink sink_name=zelka_null_sink
set-default-source zelka_null_source
set-default-sink zelka_null_sink
PA
if command -v pulseaudio >/dev/null 2>&1; then
  pulseaudio -n -F "$config" --exit-idle-time=-1 --daemonize=yes --log-target=stderr 2>/dev/null
  # Up to 30 s, as every wait in the tests: a loaded machine starts it slowly.
  for _ in $(seq 1 300); do pactl info >/dev/null 2>&1 && break; sleep 0.1; done
fi
"$@"
status=$?
pactl exit >/dev/null 2>&1 || true
exit $status
