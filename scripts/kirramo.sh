#!/usr/bin/env bash
# Runs Kirramo on the paths given, installing and building what is missing first.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/deps.sh" run
"$root/scripts/build.sh"
exec "${KIRRAMO_BUILD:-$root/build}/kirramo" "$@"
