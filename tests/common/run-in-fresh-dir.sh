#!/usr/bin/env bash
# Runs a test binary in an emptied working directory of its own.
set -eu
workdir=$1; shift
rm -rf "$workdir"
mkdir -p "$workdir"
cd "$workdir"
export XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$workdir/.runtime}
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
exec "$@"
