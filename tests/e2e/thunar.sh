#!/usr/bin/env bash
# Thunar's custom actions, used as a user uses them: the actions of data/thunar/uca.xml
# in Thunar's settings, a folder open in Thunar under a window manager on a private
# Xvfb display, every item selected (Ctrl+A), the context menu (Shift+F10), the
# submenu "Kirramo" and one of its four entries; then the clipboard is read back.
source "$(dirname "$0")/lib/common.bash"
root=$(cd "$(dirname "$0")/../.." && pwd)

for tool in thunar openbox dbus-run-session; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; report; exit; }
done
x_display xclip xdotool

# Thunar reads its actions from its own settings folder; the actions start "kirramo"
# from the PATH, here the built program.
mkdir -p "$XDG_CONFIG_HOME/Thunar" "$work/bin"
cp "$root/data/thunar/uca.xml" "$XDG_CONFIG_HOME/Thunar/uca.xml"
ln -s "$KIRRAMO_BIN" "$work/bin/kirramo"
files="$work/選んだもの"
mkdir -p "$files/フォルダ"
: >"$files/a.txt"
: >"$files/b c.txt"

openbox >/dev/null 2>&1 &
wm_pid=$!
PATH="$work/bin:$PATH" HOME="$work" LANG=ja_JP.UTF-8 timeout 600 dbus-run-session -- \
  thunar "$files" >"$work/thunar.log" 2>&1 &
thunar_pid=$!
stop_thunar() {
  kill "$thunar_pid" "$wm_pid" 2>/dev/null
  wait "$thunar_pid" "$wm_pid" 2>/dev/null
  # The clipboard owners that the runs left behind.
  pkill -f "^kirramo .*$files" 2>/dev/null
  return 0
}
at_exit=(stop_thunar "${at_exit[@]}")
window=$(timeout 60 xdotool search --sync --name "選んだもの - Thunar" | head -n 1)
if [ -z "$window" ]; then
  fail "Thunar shows the folder"
  report
  exit
fi

# choose STEPS: selects every item, opens the context menu, goes to the submenu
# "Kirramo" (the second item from the bottom) and takes its entry STEPS below the first.
choose() {
  xdotool windowactivate --sync "$window"
  xdotool key --delay 150 ctrl+a
  sleep 0.5
  xdotool key shift+F10
  sleep 1
  xdotool key --delay 150 Up Up Right
  local i
  for ((i = 0; i < $1; i++)); do xdotool key Down; done
  sleep 0.3
  xdotool key Return
}
# clipboard_becomes EXPECTED_FILE: waits up to 20 s for the clipboard to hold those bytes.
clipboard_becomes() {
  local i
  for ((i = 0; i < 100; i++)); do
    xclip -o -selection clipboard >"$work/clip" 2>/dev/null && cmp -s "$1" "$work/clip" && return 0
    sleep 0.2
  done
  return 1
}

settings GMenu=True
printf '%s\r\n' "$files/a.txt" "$files/b c.txt" "$files/フォルダ" >"$work/paths"
printf '%s\r\n' a.txt "b c.txt" フォルダ >"$work/names"
for entry in "0 paths パスをコピー" "1 names 名前をコピー" "2 paths フルパスをコピー"; do
  read -r steps expected name <<<"$entry"
  printf 'before' | xclip -selection clipboard 2>/dev/null
  choose "$steps"
  if clipboard_becomes "$work/$expected"; then pass; else
    fail "Thunar entry $name: the clipboard holds the $expected"
    od -c "$work/clip" | head -n 5
  fi
done

# The settings window, also with GMenu on; Esc leaves it without a run.
printf 'before' | xclip -selection clipboard 2>/dev/null
choose 3
check "Thunar entry Kirramo の設定…: the settings window appears" \
  timeout 30 xdotool search --sync --name '^Kirramo$' >/dev/null
xdotool windowactivate --sync "$(xdotool search --name '^Kirramo$' | head -n 1)" key Escape 2>/dev/null
check "the settings window closes with Esc" \
  timeout 30 sh -c 'while xdotool search --name "^Kirramo\$" >/dev/null 2>&1; do sleep 0.2; done'
check "nothing copied when the window is left" test "$(xclip -o -selection clipboard)" = before

report
