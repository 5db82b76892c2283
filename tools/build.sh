#!/usr/bin/env bash
# Installs what is missing, then configures and builds everything into build/
# (the program, data.pak, the tools, the tests and the benchmark tool).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/tools/setup.sh"
cmake -S "$root" -B "$root/build" -G Ninja
cmake --build "$root/build"
