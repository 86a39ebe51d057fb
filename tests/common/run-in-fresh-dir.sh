#!/usr/bin/env bash
# Runs a test command in an emptied working directory of its own (a temporary folder,
# kept after the run for a look and emptied by the next run of the same test).
# Nothing is written into the build tree: programs that write beside themselves run from
# private stand-ins of their folders (own-folder.sh) inside the working directory:
# - ZELKA_BIN_DIR (the build's program folder, where tests find the client and the test
#   server) becomes bin/ there;
# - --own-copy PROGRAM: PROGRAM's folder becomes app/ there.
# Every argument naming the original folder or program is replaced by its stand-in.
# Usage: run-in-fresh-dir.sh WORKDIR [--own-copy PROGRAM] COMMAND...
set -eu
workdir=$1; shift
here=$(cd "$(dirname "$0")" && pwd)
rm -rf "$workdir"
mkdir -p "$workdir"

from=() to=()
if [ -n "${ZELKA_BIN_DIR:-}" ] && [ -d "$ZELKA_BIN_DIR" ]; then
  "$here/own-folder.sh" "$ZELKA_BIN_DIR" "$workdir/bin"
  from+=("${ZELKA_BIN_DIR%/}") to+=("$workdir/bin")
  export ZELKA_BIN_DIR="$workdir/bin"
fi
if [ "${1:-}" = --own-copy ]; then
  program=$2; shift 2
  "$here/own-folder.sh" "$(dirname "$program")" "$workdir/app" "$(basename "$program")"
  from+=("$program") to+=("$workdir/app/$(basename "$program")")
fi
args=()
for arg in "$@"; do
  for i in "${!from[@]}"; do
    if [ "${arg%/}" = "${from[$i]}" ]; then
      arg=${to[$i]}
      break
    fi
  done
  args+=("$arg")
done

cd "$workdir"
export XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$workdir/.runtime}
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
exec "${args[@]}"
