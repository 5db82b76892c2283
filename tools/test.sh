#!/usr/bin/env bash
# Builds everything and runs every test: unit tests, GL tests on Mesa's
# software renderer and the end-to-end checks, all inside one Xvfb display.
# Extra arguments go to ctest (for example -L gl or -R k_File).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/tools/build.sh" test
# Each test sets the environment it depends on itself (the test programs' main and the end-to-end
# scripts): a plain ctest in build/ under an X display runs the same.
# Every test runs once: a test waits for what it needs (a window, a file, a process) with generous
# bounds, so a loaded machine makes it slower, never failed; a test that fails has found a fault.
# The display's number is chosen by the server (tools/xvfb.sh), so that suites and captures started beside this
# one never share its display.
exec bash "$root/tools/xvfb.sh" -s "-screen 0 1920x1080x24 +extension GLX" \
  ctest --test-dir "$root/build" --output-on-failure --timeout 600 -j2 "$@"
