#!/usr/bin/env bash
# Kirramo's benchmark in one command: installs what is missing (the build needs, tree,
# xclip, Xvfb, python3, GNU time, the ja_JP.UTF-8 locale), builds a Release build of its own in
# build-bench/, and times whole-program runs beside find, sort, tree and xclip.
#
# Usage: bench/run.sh [--quick] [more options of bench.py, e.g. --only P1,P4]
#   --quick   three timed runs per scenario instead of seven, and no million-file tree
#             (P6 is left out unless that tree was generated before)
# The generated trees are kept between runs in $KIRRAMO_BENCH_DIR (default
# /var/tmp/kirramo-bench, outside the repository).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
work=${KIRRAMO_BENCH_DIR:-/var/tmp/kirramo-bench}
build=${KIRRAMO_BENCH_BUILD:-$root/build-bench}

args=()
quick=0
for a in "$@"; do
  if [ "$a" = --quick ]; then quick=1; else args+=("$a"); fi
done
if [ $quick -eq 1 ]; then args=(--runs 3 --t3-if-present "${args[@]}"); fi

sudo_cmd=""
[ "$(id -u)" -eq 0 ] || sudo_cmd="sudo"

"$root/scripts/deps.sh" run
missing=()
for p in tree xclip xvfb python3 locales time; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}" >&2
  $sudo_cmd apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq --no-install-recommends \
    "${missing[@]}" >&2
fi
# The rival "sort -f" in the user's locale and Kirramo's collation both need ja_JP.UTF-8.
if ! locale -a 2>/dev/null | grep -qix 'ja_JP.utf8'; then
  echo "Generating the ja_JP.UTF-8 locale" >&2
  if ! grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen 2>/dev/null; then
    echo 'ja_JP.UTF-8 UTF-8' | $sudo_cmd tee -a /etc/locale.gen >/dev/null
  fi
  $sudo_cmd locale-gen >&2
fi

if [ ! -f "$build/build.ninja" ]; then
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKIRRAMO_TESTS=OFF >&2
fi
cmake --build "$build" --target kirramo >&2

exec python3 "$root/bench/bench.py" "$build/kirramo" "$work" ${args[@]+"${args[@]}"}
