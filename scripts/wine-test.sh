#!/usr/bin/env bash
# Builds the Windows program and its tests with MinGW-w64 into build-win/ (or
# $KIRRAMO_WIN_BUILD) and runs them under Wine on a private Xvfb display, as a user of a
# Japanese Windows would have it: ja_JP locale, ANSI and OEM code page 932.
#
# Every tests/wine/*.sh is run afterwards with this environment exported:
#   KIRRAMO_EXE        the built kirramo.exe (Linux path)
#   KIRRAMO_WIN_BUILD  the Windows build folder
#   WINEPREFIX, WINEDEBUG, WINEDLLOVERRIDES, WINEARCH, DISPLAY, LANG, LC_ALL
# Xvfb (stopped by its PID) and the prefix's wineserver are stopped at the end.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${KIRRAMO_WIN_BUILD:-$root/build-win}

# ---- What the Windows build and Wine need ----
need=(cmake ninja-build g++-mingw-w64-x86-64-posix googletest wine wine64 fonts-wine xvfb xclip xdotool locales
  fonts-noto-cjk fuse3 python3-fusepy)
missing=()
for p in "${need[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
sudo_cmd=""
[ "$(id -u)" -eq 0 ] || sudo_cmd="sudo"
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}" >&2
  $sudo_cmd apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq --no-install-recommends "${missing[@]}" >&2
fi
if ! locale -a 2>/dev/null | grep -qix 'ja_JP.utf8'; then
  echo "Generating the ja_JP.UTF-8 locale" >&2
  $sudo_cmd sed -i 's/^# *\(ja_JP.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen || echo 'ja_JP.UTF-8 UTF-8' | $sudo_cmd tee -a /etc/locale.gen >/dev/null
  $sudo_cmd locale-gen >&2
fi

# ---- Build ----
if [ ! -f "$build/build.ninja" ]; then
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake" >&2
fi
cmake --build "$build" -j2 >&2

# ---- Wine environment ----
export WINEPREFIX="$build/wineprefix"
export WINEARCH=win64
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8
export KIRRAMO_WIN_BUILD="$build"
export KIRRAMO_EXE="$build/kirramo.exe"

# A server left over from an earlier run would keep its clipboard on another display.
wineserver -k 2>/dev/null || true

xvfb_pid=""
cleanup() {
  wineserver -k 2>/dev/null || true
  if [ -n "$xvfb_pid" ]; then
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
  fi
  rm -f "$build/.xvfb-display"
}
trap cleanup EXIT

# Xvfb picks a free display itself and writes its number.
rm -f "$build/.xvfb-display"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$build/.xvfb-display" >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 1 100); do
  [ -s "$build/.xvfb-display" ] && break
  kill -0 "$xvfb_pid" 2>/dev/null || { echo "Xvfb did not start" >&2; exit 1; }
  sleep 0.1
done
[ -s "$build/.xvfb-display" ] || { echo "Xvfb gave no display" >&2; exit 1; }
export DISPLAY=":$(head -n1 "$build/.xvfb-display")"

if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "== creating the Wine prefix (takes a while the first time)" >&2
  wineboot -i >/dev/null 2>&1 || true
  wineserver -w
fi
# The date form of a Japanese Windows (Wine's own table has yyyy/M/d).
wine reg add 'HKCU\Control Panel\International' /v sShortDate /d yyyy/MM/dd /f >/dev/null 2>&1

codepages=$(KIRRAMO_TEST_CHILD=codepages wine "$build/tests/kirramo_win32_tests.exe" 2>/dev/null | tr -d '\r')
if [ "$codepages" != "932 932" ]; then
  echo "The Wine prefix has ANSI and OEM code pages '$codepages', not '932 932'" >&2
  exit 1
fi

# A link from inside a folder back up to it, which Wine itself cannot make.
fixture="$build/fixtures/link-loop"
rm -rf "$fixture"
mkdir -p "$fixture/top/a"
ln -s ../../top "$fixture/top/a/back"
KIRRAMO_TEST_LINK_LOOP=$(winepath -w "$fixture/top" 2>/dev/null | tr -d '\r')
export KIRRAMO_TEST_LINK_LOOP

status=0
for t in kirramo_tests kirramo_win32_tests; do
  echo "== $t.exe under Wine"
  wine "$build/tests/$t.exe" --gtest_brief=1 || status=1
done
unset KIRRAMO_TEST_LINK_LOOP

for t in "$root"/tests/wine/*.sh; do
  [ -e "$t" ] || continue
  echo "== $(basename "$t")"
  bash "$t" || status=1
done

exit $status
