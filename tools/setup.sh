#!/usr/bin/env bash
# Installs every Debian package the project needs to build, play and test.
# Idempotent: packages already present are left alone, and apt is only asked
# when something is missing.
set -euo pipefail

packages=(
  # build
  cmake ninja-build pkg-config g++
  # engine and platform libraries
  libsdl2-dev libgtk-3-dev libglew-dev libglu1-mesa-dev libgl-dev
  libpng-dev libjpeg-dev zlib1g-dev libminizip-dev libvorbis-dev
  libfreetype-dev libfontconfig-dev fonts-dejavu-core
  # the display font of the captions and the logo (Pango and Cairo come with GTK 3)
  fonts-comfortaa
  # tests and benchmarks
  libgtest-dev libgmock-dev libbenchmark-dev
  # running GL without a screen, driving the setup dialog
  xvfb xauth libgl1-mesa-dri xdotool
  # the end-to-end checks: window tree (xwininfo) and screen dumps (xwd)
  x11-utils x11-apps
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q '^install ok installed$'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "setup: installing ${missing[*]}"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
