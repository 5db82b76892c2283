#!/usr/bin/env bash
# Builds the demo and plays it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/tools/build.sh"
exec "$root/build/bin/starwane"
