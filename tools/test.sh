#!/usr/bin/env bash
# Builds everything and runs every test: unit tests, GL tests on Mesa's
# software renderer and the end-to-end checks, all inside one Xvfb display.
# Extra arguments go to ctest (for example -L gl or -R k_File).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/tools/build.sh"
export SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy}
export LIBGL_ALWAYS_SOFTWARE=1
# Tests draw on the Xvfb display: SDL must use it, never fall back to another video driver.
export SDL_VIDEODRIVER=${SDL_VIDEODRIVER:-x11}
# A test that fails is run once more before it counts: on a loaded two-core machine a window or GL
# context can now and then not be had in time. A real fault fails both runs.
exec xvfb-run -a -s "-screen 0 1920x1080x24 +extension GLX" \
  ctest --test-dir "$root/build" --output-on-failure --timeout 600 -j2 --repeat until-pass:2 "$@"
