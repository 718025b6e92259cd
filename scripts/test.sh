#!/usr/bin/env bash
# Runs every test: installs what is missing, builds, runs the unit and backend tests
# (also under ASan and UBSan),
# the end-to-end tests (each under an Xvfb server, or a headless sway as a throwaway
# user, that it starts and stops by its PID) and a short run of each fuzz target; then
# the Windows program, cross-built, under Wine (scripts/wine-test.sh; KIRRAMO_SKIP_WINE=1
# leaves it out).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${KIRRAMO_BUILD:-$root/build}
"$root/scripts/deps.sh" test
"$root/scripts/build.sh"

status=0
echo "== unit and backend tests"
(cd "$build" && ctest --output-on-failure -j2) || status=1

# The unit and backend tests once more, built with AddressSanitizer and
# UndefinedBehaviorSanitizer in a build folder of their own; any report fails them.
echo "== unit and backend tests under ASan and UBSan"
san=${KIRRAMO_SAN_BUILD:-$root/build-san}
if [ ! -f "$san/build.ninja" ]; then
  cmake -S "$root" -B "$san" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
    "-DCMAKE_CXX_FLAGS=-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer" >&2
fi
if cmake --build "$san" --target kirramo_tests kirramo_posix_tests >&2; then
  for t in kirramo_tests kirramo_posix_tests; do
    ASAN_OPTIONS=detect_leaks=0 timeout 900 "$san/tests/$t" --gtest_brief=1 || status=1
  done
else
  status=1
fi

for t in "$root"/tests/e2e/*.sh; do
  [ -e "$t" ] || continue
  echo "== $(basename "$t")"
  KIRRAMO_BIN="$build/kirramo" bash "$t" || status=1
done

if [ "${KIRRAMO_SKIP_WINE:-0}" != 1 ]; then
  echo "== the Windows program under Wine"
  "$root/scripts/wine-test.sh" || status=1
fi

if [ -x "$root/scripts/fuzz.sh" ]; then
  echo "== fuzz targets"
  "$root/scripts/fuzz.sh" || status=1
fi

if [ $status -eq 0 ]; then echo "All test groups passed"; else echo "Some test groups FAILED"; fi
exit $status
