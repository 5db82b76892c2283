#!/usr/bin/env bash
# Builds everything, makes the Debian package and checks it with lintian:
#
#   bash tools/package.sh
#
# The package is build/starwane_VERSION_ARCH.deb (cpack, with the library dependencies worked out by
# dpkg-shlibdeps). lintian prints what it finds; an error fails the script.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/tools/build.sh" package
(cd "$root/build" && cpack -G DEB >/dev/null)
deb=$(ls -t "$root"/build/starwane_*.deb | head -1)
echo "package: $deb"
dpkg-deb --info "$deb" | sed -n '/^ Package:/,$p'
status=0
lintian --fail-on error --display-info "$deb" || status=$?
if [ "$status" -ne 0 ]; then
  echo "package: lintian reports errors" >&2
  exit 1
fi
echo "package: lintian reports no error"
