#!/usr/bin/env bash
# cmake --install into a private prefix: the program and its Qt module, the usage
# text, the icon at three sizes, the desktop entry (valid, the program of no file type,
# offered among all programs) and Dolphin's actions (valid), the Nautilus scripts (all
# selected names whole, line breaks included, in one start without delay, each with its
# road's option) and the Thunar actions: a submenu "Kirramo" with four roads in each.
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
# No file type: a file manager never opens a file or folder with Kirramo on its own.
check "desktop entry: no MimeType" sh -c "! grep -q '^MimeType' '$entry'"
check "Dolphin actions: in a submenu Kirramo" grep -qx 'X-KDE-Submenu=Kirramo' "$menu"
# roads: the entries' names and options, as the three file managers offer them.
roads=("パスをコピー|" "名前をコピー|--names " "フルパスをコピー|--paths " "Kirramo の設定…|--window ")
for road in "${roads[@]}"; do
  check "Dolphin action ${road%%|*}" grep -qx "Name=${road%%|*}" "$menu"
  check "Dolphin action ${road%%|*}: its command" grep -qx "Exec=kirramo ${road#*|}%F" "$menu"
done
check "Dolphin action: executable" test -x "$menu"
if command -v desktop-file-validate >/dev/null; then
  check "desktop entry is valid" desktop-file-validate "$entry"
  check "Dolphin action is valid" desktop-file-validate "$menu"
else
  echo "SKIP: desktop-file-validate is not installed"
fi

# The entry as GIO (Nautilus, Thunar, gio open) reads it once update-desktop-database
# has indexed it: the program of no type, so a double-click on a folder or on a file of
# unknown type starts something else; yet among all programs, the list that the
# "other application" dialogs of Nautilus and Thunar show, taking files.
if command -v update-desktop-database >/dev/null && command -v gio >/dev/null; then
  update-desktop-database "$share/applications"
  gio_env=(env PATH="$prefix/bin:$PATH" XDG_DATA_HOME="$share" XDG_DATA_DIRS="$share"
    XDG_CONFIG_HOME="$work/gio-config" XDG_CONFIG_DIRS="$work/gio-config")
  for type in inode/directory application/octet-stream; do
    "${gio_env[@]}" timeout 60 gio mime "$type" >"$work/gio-mime" 2>&1
    check "GIO: no program for $type" sh -c "! grep -q kirramo '$work/gio-mime'"
  done
  gi_python=
  for python in python3 /usr/bin/python3; do
    if "$python" -c 'import gi' 2>/dev/null; then
      gi_python=$python
      break
    fi
  done
  if [ -n "$gi_python" ]; then
    check "GIO: among all programs, taking files" "${gio_env[@]}" timeout 60 "$gi_python" -c '
import sys, gi
gi.require_version("Gio", "2.0")
from gi.repository import Gio
apps = [a for a in Gio.AppInfo.get_all() if a.get_id() == "kirramo.desktop"]
sys.exit(0 if apps and apps[0].supports_files() else 1)'
  else
    echo "SKIP: no Python with GObject introspection for the list of all programs"
  fi
else
  echo "SKIP: update-desktop-database or gio is not installed"
fi

thunar="$share/kirramo/thunar/uca.xml"
for road in "${roads[@]}"; do
  check "Thunar action ${road%%|*}" grep -q "<name>${road%%|*}</name>" "$thunar"
  check "Thunar action ${road%%|*}: command with all files" \
    grep -q "<command>kirramo ${road#*|}%F</command>" "$thunar"
done
check "Thunar actions: in a submenu Kirramo" test "$(grep -c '<submenu>Kirramo</submenu>' "$thunar")" -eq 4
if command -v xmllint >/dev/null; then
  check "Thunar action is well-formed" xmllint --noout "$thunar"
fi

# The Nautilus scripts, in a folder Kirramo (Nautilus's submenu), one per road.
scripts="$share/kirramo/nautilus/Kirramo"
for road in "${roads[@]}"; do
  check "Nautilus script ${road%%|*} executable" test -x "$scripts/${road%%|*}"
done
check "Nautilus scripts: four" test "$(find "$scripts" -type f | wc -l)" -eq 4
# "パスをコピー" hands every path of the selection, one a line, to one start of the
# installed program (no display here: the text comes on standard output).
script="$scripts/パスをコピー"
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

# The script as Nautilus starts it: in the folder shown, with the selected names as
# arguments relative to that folder, and the same selection as lines of paths and of
# URIs. A stand-in kirramo records the arguments it is given, each ended by a NUL.
mkdir "$work/stand-in"
cat >"$work/stand-in/kirramo" <<'EOF'
#!/bin/sh
printf '%s\0' "$@" >"$KIRRAMO_ARGV"
EOF
chmod +x "$work/stand-in/kirramo"
# uri PATH: the file URI of a path, as GIO writes it (every byte but letters, digits,
# "-._~/" as %XX).
uri() {
  local LC_ALL=C text=$1 out='' c i
  for ((i = 0; i < ${#text}; i++)); do
    c=${text:i:1}
    case $c in
    [a-zA-Z0-9._~/-]) out+=$c ;;
    *) printf -v c '%%%02X' "'$c" && out+=$c ;;
    esac
  done
  printf 'file://%s' "$out"
}
# timed COMMAND...: runs the command; its exit status goes to $status and the time it
# took, in milliseconds, to $took.
timed() {
  local start
  start=$(date +%s%N)
  status=0
  "$@" || status=$?
  took=$((($(date +%s%N) - start) / 1000000))
}
# nautilus LOCATION FOLDER NAME...: runs the script as Nautilus does for the names
# (relative to FOLDER, or absolute) selected where it shows LOCATION (a URI), with the
# stand-in (timed). Nautilus starts it in FOLDER only when LOCATION is a local folder.
nautilus() {
  local location=$1 folder=$2 name path paths='' uris='' folder_uri cwd=$work
  shift 2
  folder_uri=$(uri "$folder")
  case $location in file:*) cwd=$folder ;; esac
  for name in "$@"; do
    case $name in /*) path=$name ;; *) path=$folder/$name ;; esac
    paths+=$path$'\n'
    case $name in
    *[!a-zA-Z0-9._-]*) uris+=$(uri "$path")$'\n' ;;
    *) uris+="$folder_uri/$name"$'\n' ;;
    esac
  done
  rm -f "$work/argv"
  timed env -C "$cwd" PATH="$work/stand-in:$PATH" KIRRAMO_ARGV="$work/argv" \
    NAUTILUS_SCRIPT_SELECTED_FILE_PATHS="$paths" NAUTILUS_SCRIPT_SELECTED_URIS="$uris" \
    NAUTILUS_SCRIPT_CURRENT_URI="$location" timeout 60 "$script" "$@"
}
# expect_argv NAME ARG...: the stand-in was given exactly these arguments.
expect_argv() {
  local name=$1
  shift
  printf '%s\0' "$@" >"$work/argv-expected"
  same_bytes "$name" "$work/argv-expected" "$work/argv"
}

# A name with a line break, blanks, quotes and a folder: each one whole.
broken=$'改行の\nある名前.txt'
printf 'x' >"$d/$broken"
nautilus "$(uri "$d")" "$d" "$broken" "a b.txt" "フォルダ"
check "Nautilus script with arguments: status 0" test "$status" -eq 0
expect_argv "Nautilus script: every name whole, as its argument" -- "$broken" "a b.txt" "フォルダ"
# The installed program on it: the name taken against the working folder, intact.
status=0
env -C "$d" PATH="$prefix/bin:$PATH" NAUTILUS_SCRIPT_SELECTED_FILE_PATHS="$d/$broken"$'\n' \
  NAUTILUS_SCRIPT_CURRENT_URI="$(uri "$d")" env -u DISPLAY -u WAYLAND_DISPLAY timeout 120 \
  "$script" "$broken" >"$work/out" 2>"$work/err" || status=$?
check "Nautilus script, name with a line break: status 0" test "$status" -eq 0
expect_file "Nautilus script: the path with its line break" "$work/out" '%s' "$d/$broken"

# 4,000 names go to one start at once, from the arguments and from the lines alike
# (the lines when the script is started without arguments). A short folder path, so
# that the lists stay below the size of one environment variable (128 KiB), as they
# must when Nautilus starts the script.
many=$(mktemp -d /tmp/k.XXXXXX)
remove_many() { rm -rf "$many"; }
at_exit+=(remove_many)
names=()
for ((i = 0; i < 4000; i++)); do names+=("f$i"); done
nautilus "$(uri "$many")" "$many" "${names[@]}"
check "Nautilus script with 4,000 names: status 0" test "$status" -eq 0
expect_argv "Nautilus script: 4,000 names from the arguments" -- "${names[@]}"
check "Nautilus script: 4,000 names within 1 s (took $took ms)" test "$took" -lt 1000
paths=("${names[@]/#/$many/}")
timed env -C "$many" PATH="$work/stand-in:$PATH" KIRRAMO_ARGV="$work/argv" \
  NAUTILUS_SCRIPT_SELECTED_FILE_PATHS="$(printf '%s\n' "${paths[@]}")" timeout 60 "$script"
expect_argv "Nautilus script: 4,000 paths from the lines" -- "${paths[@]}"
check "Nautilus script: 4,000 lines within 1 s (took $took ms)" test "$took" -lt 1000

# A folder that is not local (the working folder is another one): the paths of the
# lines rather than the relative names. Search results: the absolute names as given.
nautilus "sftp://host/srv/%E5%85%B1%E6%9C%89" "$d" "a b.txt" "b.txt"
expect_argv "Nautilus script, remote folder: the paths of the lines" -- "$d/a b.txt" "$d/b.txt"
nautilus "x-nautilus-search:///" "$d" "$d/a b.txt" "$d/$broken"
expect_argv "Nautilus script, search results: absolute names as given" -- "$d/a b.txt" "$d/$broken"

# Each road's script: its option, then "--" and the names, so that a name that starts
# with "-" stays a name.
printf 'x' >"$d/-x.txt"
for road in "${roads[@]}"; do
  script="$scripts/${road%%|*}"
  option=${road#*|}
  nautilus "$(uri "$d")" "$d" "-x.txt" "b.txt"
  # shellcheck disable=SC2086
  expect_argv "Nautilus script ${road%%|*}: its option, the names after --" $option -- "-x.txt" "b.txt"
done
# The installed program through "名前をコピー": the names, the stored settings aside.
settings GUpper=True
status=0
env -C "$d" PATH="$prefix/bin:$PATH" NAUTILUS_SCRIPT_CURRENT_URI="$(uri "$d")" \
  env -u DISPLAY -u WAYLAND_DISPLAY timeout 120 "$scripts/名前をコピー" "-x.txt" "フォルダ" \
  >"$work/out" 2>"$work/err" || status=$?
check "Nautilus script 名前をコピー: status 0" test "$status" -eq 0
expect_file "Nautilus script 名前をコピー: the names" "$work/out" '%s\r\n%s\r\n' "-x.txt" "フォルダ"

report
