#!/usr/bin/env bash
# Builds the Debian package kirramo_<version>_amd64.deb into build-deb/ (or
# $KIRRAMO_DEB_BUILD) and prints its path.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${KIRRAMO_DEB_BUILD:-$root/build-deb}
if [ ! -f "$build/build.ninja" ]; then
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
    -DKIRRAMO_TESTS=OFF >&2
fi
cmake --build "$build" >&2
(cd "$build" && cpack -G DEB >&2)
ls "$build"/kirramo_*_*.deb
