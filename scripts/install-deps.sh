#!/usr/bin/env bash
# Installs the Debian 12 packages the client, its tests and the local test server need.
# Runs as root (or through sudo) with no standard input. Set-ups started at the same moment
# on one machine (two clones' CI runs) take turns, and each installs what is still missing then.
set -euo pipefail
PACKAGES=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev qt6-base-private-dev libqt6opengl6-dev qt6-declarative-dev qt6-declarative-dev-tools
  qt6-multimedia-dev qt6-websockets-dev qt6-shadertools-dev qt6-shader-baker qt6-l10n-tools qt6-tools-dev
  qt6-qpa-plugins fonts-wqy-microhei spirv-tools
  qml6-module-qtqml qml6-module-qtqml-workerscript qml6-module-qtqml-models qml6-module-qtquick
  qml6-module-qtquick-controls qml6-module-qtquick-templates qml6-module-qtquick-layouts
  qml6-module-qtquick-window qml6-module-qtquick-shapes qml6-module-qt5compat-graphicaleffects
  qml6-module-qtcharts qml6-module-qtpositioning qt6-positioning-dev qml6-module-qtwebsockets qml6-module-qtmultimedia
  qml6-module-qttest
  libavformat-dev libavcodec-dev libavutil-dev libswscale-dev libswresample-dev ffmpeg
  xvfb xauth imagemagick librsvg2-bin x11-apps x11-xserver-utils libxcb1-dev xdotool curl libgl1-mesa-dri pulseaudio pulseaudio-utils stress-ng
  openbox icewm x11-utils
  libgstrtspserver-1.0-dev libgstreamer1.0-dev gstreamer1.0-plugins-base gstreamer1.0-plugins-good
  gstreamer1.0-plugins-bad gstreamer1.0-plugins-ugly
)
SUDO=""
if [ "$(id -u)" != 0 ]; then SUDO="sudo"; fi
# Set up once, the lock file is open to every user (a later set-up may run through sudo or not).
LOCK_FILE=/run/lock/zelka-install-deps.lock

missing_packages() {
  local p
  missing=()
  for p in "${PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
}

# apt-get update does not wait for the package lists' lock: apt 2.6 gives up at once ("Could not
# get lock /var/lib/apt/lists/lock", code 100) whatever DPkg::Lock::Timeout says, which bounds
# the wait for dpkg's lock only. Set-ups of ours take turns on LOCK_FILE; another program holding
# the lists (an upgrade, a set-up of another project) is waited for here, up to 10 minutes.
update_lists() {
  local deadline=$((SECONDS + 600)) output status
  while :; do
    status=0
    output=$($SUDO apt-get -o DPkg::Lock::Timeout=600 update -q 2>&1) || status=$?
    if [ "$status" = 0 ] || ! grep -q "Could not get lock" <<<"$output" || [ "$SECONDS" -ge "$deadline" ]; then
      printf '%s\n' "$output"
      return "$status"
    fi
    echo "install-deps: another program holds the package lists; trying again in 5 s" >&2
    sleep 5
  done
}

missing_packages
if [ ${#missing[@]} -eq 0 ]; then
  echo "install-deps: all packages present"
  exit 0
fi
[ -e "$LOCK_FILE" ] || { : >>"$LOCK_FILE" && chmod 666 "$LOCK_FILE"; } 2>/dev/null || true
exec 9<"$LOCK_FILE"
if ! flock -w 1200 9; then
  echo "install-deps: another set-up has held $LOCK_FILE for 20 minutes; giving up" >&2
  exit 1
fi
# The set-up that went first may have installed them.
missing_packages
if [ ${#missing[@]} -eq 0 ]; then
  echo "install-deps: all packages present (installed by a set-up that ran at the same time)"
  exit 0
fi
export DEBIAN_FRONTEND=noninteractive
update_lists
$SUDO apt-get -o DPkg::Lock::Timeout=600 install -y -q --no-install-recommends "${missing[@]}" </dev/null
