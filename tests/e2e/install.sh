#!/usr/bin/env bash
# cmake --install into a private prefix: the program and its Qt module, the usage
# text, the icon at three sizes, the desktop entry and Dolphin's action (both valid for
# desktop-file-validate), the Nautilus script (all selected paths in one start) and
# the Thunar action.
source "$(dirname "$0")/lib/common.bash"

build=$(dirname "$KIRRAMO_BIN")
if ! command -v cmake >/dev/null || [ ! -f "$build/cmake_install.cmake" ]; then
  echo "SKIP: no CMake build folder beside $KIRRAMO_BIN"
  report
  exit
fi
prefix="$work/prefix"
check "cmake --install succeeds" cmake --install "$build" --prefix "$prefix" >/dev/null
share="$prefix/share"

check "program installed" test -x "$prefix/bin/kirramo"
# The Qt module (window and message box), loaded by the program from the library folder.
check "Qt module installed" test -n "$(find "$prefix" -path '*/kirramo/kirramo-qt.so' -type f)"
check "program loads no Qt library at start" sh -c "! ldd '$prefix/bin/kirramo' | grep -q libQt6"
check "usage text installed" cmp -s "$(dirname "$0")/../../data/how to use.txt" "$share/kirramo/how to use.txt"
check "usage text beside the built program" cmp -s "$share/kirramo/how to use.txt" "$build/how to use.txt"

# png_size FILE: the width and height from the PNG header.
png_size() {
  local b
  read -r -a b < <(od -An -tu1 -j16 -N8 "$1")
  echo "$(((b[2] << 8) | b[3]))x$(((b[6] << 8) | b[7]))"
}
for size in 16 32 48; do
  icon="$share/icons/hicolor/${size}x$size/apps/kirramo.png"
  check "icon ${size}x$size is a PNG" cmp -s <(printf '\x89PNG') <(head -c 4 "$icon")
  check "icon ${size}x$size has its size" test "$(png_size "$icon")" = "${size}x$size"
done

entry="$share/applications/kirramo.desktop"
menu="$share/kio/servicemenus/kirramo-copy-paths.desktop"
check "desktop entry: Exec with all files" grep -qx 'Exec=kirramo %F' "$entry"
check "desktop entry: not listed on its own" grep -qx 'NoDisplay=true' "$entry"
check "desktop entry: files and folders" grep -qx 'MimeType=inode/directory;application/octet-stream;' "$entry"
check "Dolphin action: its name" grep -qx 'Name=Kirramo でパスをコピー' "$menu"
check "Dolphin action: executable" test -x "$menu"
if command -v desktop-file-validate >/dev/null; then
  check "desktop entry is valid" desktop-file-validate "$entry"
  check "Dolphin action is valid" desktop-file-validate "$menu"
else
  echo "SKIP: desktop-file-validate is not installed"
fi

thunar="$share/kirramo/thunar/uca.xml"
check "Thunar action: command with all files" grep -q '<command>kirramo %F</command>' "$thunar"
if command -v xmllint >/dev/null; then
  check "Thunar action is well-formed" xmllint --noout "$thunar"
fi

# The Nautilus script hands every path of the selection, one a line, to one start of
# the installed program (no display here: the text comes on standard output).
script="$share/kirramo/nautilus/Kirramo でパスをコピー"
check "Nautilus script executable" test -x "$script"
d="$work/選択 'した' \"もの\""
mkdir -p "$d/フォルダ"
printf 'x' >"$d/b.txt"
printf 'x' >"$d/a b.txt"
settings
status=0
NAUTILUS_SCRIPT_SELECTED_FILE_PATHS="$d/フォルダ
$d/b.txt
$d/a b.txt
" PATH="$prefix/bin:$PATH" env -u DISPLAY -u WAYLAND_DISPLAY timeout 120 "$script" >"$work/out" 2>"$work/err" ||
  status=$?
check "Nautilus script: status 0" test "$status" -eq 0
expect_file "Nautilus script: all paths in one start" "$work/out" '%s\r\n%s\r\n%s\r\n' \
  "$d/a b.txt" "$d/b.txt" "$d/フォルダ"

report
