#!/usr/bin/env bash
# Installs the Debian 12 packages the client, its tests and the local test server need.
# Runs as root (or through sudo) with no standard input.
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
  libgstrtspserver-1.0-dev libgstreamer1.0-dev gstreamer1.0-plugins-base gstreamer1.0-plugins-good
  gstreamer1.0-plugins-bad gstreamer1.0-plugins-ugly
)
SUDO=""
if [ "$(id -u)" != 0 ]; then SUDO="sudo"; fi
missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
  echo "install-deps: all packages present"
  exit 0
fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get -o DPkg::Lock::Timeout=600 update -q
$SUDO apt-get -o DPkg::Lock::Timeout=600 install -y -q --no-install-recommends "${missing[@]}" </dev/null
