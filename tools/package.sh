#!/usr/bin/env bash
# Builds everything, makes the Debian packages and checks them with lintian:
#
#   bash tools/package.sh
#
# The packages are build/starwane_VERSION_ARCH.deb (the show) and build/liborvelant-dev_VERSION_ARCH.deb (the
# engine for demos of one's own), made by cpack with the library dependencies worked out by dpkg-shlibdeps.
# lintian prints what it finds; an error fails the script.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/tools/build.sh" package
(cd "$root/build" && cpack -G DEB >/dev/null)
status=0
for name in starwane liborvelant-dev; do
  deb=$(ls -t "$root"/build/"$name"_*.deb | head -1)
  echo "package: $deb"
  dpkg-deb --info "$deb" | sed -n '/^ Package:/,$p'
  lintian --fail-on error --display-info "$deb" || status=$?
done
if [ "$status" -ne 0 ]; then
  echo "package: lintian reports errors" >&2
  exit 1
fi
echo "package: lintian reports no error"
