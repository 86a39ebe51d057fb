#!/usr/bin/env bash
# Installs, builds and starts the client in ./run/ (its config/ lives there).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh
BUILD_DIR=${BUILD_DIR:-build}
mkdir -p run
cd run
exec "../$BUILD_DIR/bin/ZelkaVSS_Client"
