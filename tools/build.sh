#!/usr/bin/env bash
# Installs what is missing, then configures and builds everything into build/:
#
#   bash tools/build.sh [NEED...]
#
# The programs, data.pak, the content generators and the examples always; the tests and the benchmark tool
# when GoogleTest and Google Benchmark are installed. NEEDs go to tools/setup.sh (test, fuzz, sanitize, package)
# and add what those tasks need; without any, only what building and playing need is installed.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/tools/setup.sh" "$@"
cmake -S "$root" -B "$root/build" -G Ninja
cmake --build "$root/build"
