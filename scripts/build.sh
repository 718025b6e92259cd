#!/usr/bin/env bash
# Configures and builds the Linux program and its tests into build/ (or $KIRRAMO_BUILD).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${KIRRAMO_BUILD:-$root/build}
if [ ! -f "$build/build.ninja" ]; then
  cmake -S "$root" -B "$build" -G Ninja "$@" >&2
fi
cmake --build "$build" >&2
