#!/usr/bin/env bash
# Makes DEST a private stand-in for the build's program folder SRC, so that what a program
# writes beside itself (recordings, snapshots, its log, the debug console's capture) lands
# in DEST. Programs find that folder through /proc/self/exe, which resolves symbolic links:
# the programs named (every regular file of SRC when none is named) become hard links in
# DEST, or copies where DEST lies on another file system; the other files are symbolic
# links. lib/ is linked; the folders read beside a program are copied: config/ (which a
# test may change), background/ and maps/ (hard links to their read-only pictures).
# Usage: own-folder.sh SRC DEST [NAME...]
set -eu
src=$(cd "$1" && pwd)
dest=$2
shift 2
mkdir -p "$dest"

own() {
  ln -f "$1" "$2" 2>/dev/null || cp -p "$1" "$2"
}

for path in "$src"/*; do
  [ -e "$path" ] || continue
  name=${path##*/}
  if [ -d "$path" ]; then
    case $name in
      lib) ln -sfn "$path" "$dest/$name" ;;
      config) rm -rf "${dest:?}/$name" && cp -a "$path" "$dest/$name" ;;
      background|maps) rm -rf "${dest:?}/$name" && { cp -al "$path" "$dest/$name" 2>/dev/null || cp -a "$path" "$dest/$name"; } ;;
    esac
  elif [ -f "$path" ]; then
    if [ $# -eq 0 ] || printf '%s\n' "$@" | grep -qxF -- "$name"; then
      own "$path" "$dest/$name"
    else
      ln -sfn "$path" "$dest/$name"
    fi
  fi
done
