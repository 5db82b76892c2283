#!/usr/bin/env bash
# Installs the Debian packages a task needs, and nothing more:
#
#   bash tools/setup.sh [NEED...]
#
#   play       building the programs and the pack, and playing the show (always included)
#   test       the test suite: GoogleTest, Google Benchmark, Xvfb and the X tools the end-to-end checks drive,
#              a headless Wayland compositor (weston), ffmpeg, the packaging validators, clang-format, a
#              comma-decimal locale and aubio's onset detector
#   fuzz       clang with libFuzzer (tools/fuzz.sh; its seed corpora come from the test build, so test too)
#   sanitize   valgrind, and Xvfb for a display (tools/sanitize.sh)
#   package    the Debian package and its checker: dpkg-dev, lintian (tools/package.sh)
#   pictures   ffmpeg, which writes the README's pictures as JPEG (tools/pictures.sh); Xvfb, xdotool and xwd,
#              with which tools/studio_picture.sh shows and photographs the studio
#
# Idempotent: packages already present are left alone, and apt is only asked when something is missing.
set -euo pipefail

play=(
  # build
  cmake ninja-build pkg-config g++
  # engine and platform libraries
  libsdl2-dev libgtk-3-dev libepoxy-dev libglu1-mesa-dev libgl-dev
  libpng-dev libjpeg-dev zlib1g-dev libminizip-dev libvorbis-dev
  libfreetype-dev libfontconfig-dev fonts-dejavu-core
  # the display font of the captions and the logo (Pango and Cairo come with GTK 3)
  fonts-comfortaa
  # the desktop icon is drawn with Cairo at build time
  libcairo2-dev
  # the studio's overlay (timeline, errors, render targets): the immediate-mode GUI library; its SDL2 and
  # OpenGL 3 backends are built from the package's doc folder
  libimgui-dev
  # the setup dialog's theme draws its check box from SVG icons (without the loader GTK warns on stderr)
  librsvg2-common
  # OpenGL drivers (Mesa; its software renderer where there is no GPU), also through EGL for drawing
  # without a display and as a native Wayland client
  libgl1-mesa-dri libegl-mesa0
  # title bars for the windows of a native Wayland client where the compositor draws none (GNOME)
  libdecor-0-plugin-1-cairo
)
test=(
  # the unit and GL tests, the benchmark tool, the format check
  libgtest-dev libgmock-dev libbenchmark-dev clang-format
  # running GL without a screen, driving the setup dialog
  xvfb xauth xdotool
  # the end-to-end checks: window tree (xwininfo), screen dumps (xwd) and a window's state set as a window
  # manager would (xprop: the studio minimised)
  x11-utils x11-apps
  # a comma-decimal locale, in which the tests check that numbers are read and written the same
  locales
  # videos of the capture program are encoded by the ffmpeg program (ffprobe checks them)
  ffmpeg
  # peak memory of the damaged-pack runs
  time
  # the install check: the desktop entry and AppStream validators, dpkg-shlibdeps and file for cpack
  desktop-file-utils appstream dpkg-dev file
  # the show drawn as a native Wayland client, in weston's headless compositor
  weston
  # the sync check: an onset detector finds where the tune's beats and hits are (run as a program, not linked)
  aubio-tools
  # the studio's document for the sync editor is checked to be well-formed XML (xmllint)
  libxml2-utils
)
fuzz=(clang libclang-rt-14-dev)
sanitize=(valgrind xvfb xauth)
package=(dpkg-dev file lintian)
pictures=(ffmpeg xvfb xauth xdotool x11-utils x11-apps)

packages=("${play[@]}")
locale_needed=0
for need in "$@"; do
  case "$need" in
  play) ;;
  test)
    packages+=("${test[@]}")
    locale_needed=1
    ;;
  fuzz)
    packages+=("${test[@]}" "${fuzz[@]}")
    locale_needed=1
    ;;
  sanitize) packages+=("${sanitize[@]}") ;;
  package) packages+=("${package[@]}") ;;
  pictures) packages+=("${pictures[@]}") ;;
  *)
    echo "setup: unknown need '$need' (play, test, fuzz, sanitize, package, pictures)" >&2
    exit 2
    ;;
  esac
done

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q '^install ok installed$'; then
    missing+=("$p")
  fi
done
# Each package once, in order.
mapfile -t missing < <(printf '%s\n' "${missing[@]}" | awk 'NF && !seen[$0]++')

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi

if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# The tests' comma-decimal locale: generated once, left alone when it exists.
if [ $locale_needed -eq 1 ]; then
  test_locale="de_DE.UTF-8"
  if ! locale -a 2>/dev/null | grep -qix 'de_DE\.utf-\?8'; then
    echo "setup: generating the locale $test_locale"
    if ! grep -q "^$test_locale UTF-8" /etc/locale.gen 2>/dev/null; then
      echo "$test_locale UTF-8" | $SUDO tee -a /etc/locale.gen >/dev/null
    fi
    $SUDO locale-gen >/dev/null
  fi
fi
