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
  # the desktop icon is drawn with Cairo at build time
  libcairo2-dev
  # tests and benchmarks; the format check
  libgtest-dev libgmock-dev libbenchmark-dev clang-format
  # running GL without a screen, driving the setup dialog
  xvfb xauth libgl1-mesa-dri xdotool
  # the end-to-end checks: window tree (xwininfo) and screen dumps (xwd)
  x11-utils x11-apps
  # a comma-decimal locale, in which the tests check that numbers are read and written the same
  locales
  # starwane-capture encodes videos with the ffmpeg program (ffprobe checks them)
  ffmpeg
  # fuzzing (clang with libFuzzer), the sanitizer and memcheck runs, peak memory of damaged-pack runs
  clang libclang-rt-14-dev valgrind time
  # installing and packaging: the desktop entry and AppStream validators, dpkg-shlibdeps for cpack
  desktop-file-utils appstream dpkg-dev
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q '^install ok installed$'; then
    missing+=("$p")
  fi
done

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi

if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# The tests' comma-decimal locale: generated once, left alone when it exists.
test_locale="de_DE.UTF-8"
if ! locale -a 2>/dev/null | grep -qix 'de_DE\.utf-\?8'; then
  echo "setup: generating the locale $test_locale"
  if ! grep -q "^$test_locale UTF-8" /etc/locale.gen 2>/dev/null; then
    echo "$test_locale UTF-8" | $SUDO tee -a /etc/locale.gen >/dev/null
  fi
  $SUDO locale-gen >/dev/null
fi
