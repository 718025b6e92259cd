#!/usr/bin/env bash
# The program on an X11 display (a private Xvfb server started here and stopped by its
# PID): the text read back by xclip right after the program ended, its targets, a
# text too large for one request, a second run taking over from the first owner, and
# the message box for a missing path closed with a key press.
source "$(dirname "$0")/lib/common.bash"

x_display xclip xdotool

# run_x ARGS...: runs the program on the display and waits for it to end; its
# output goes to $work/out (empty: the text is on the clipboard). Reading that output
# through a pipe also shows that the owner left behind holds no copy of it.
run_x() {
  timeout 120 "$KIRRAMO_BIN" "$@" 2>"$work/err" | timeout 120 cat >"$work/out"
  status=${PIPESTATUS[0]}
}
clip() { timeout 60 xclip -o -selection clipboard "$@" >"$work/clip" 2>/dev/null; }

# The process that serves the clipboard: the owner window's _NET_WM_PID.
owner_pid() {
  local id
  id=$(xdotool search --name '^Kirramo clipboard$' 2>/dev/null | head -n 1)
  [ -n "$id" ] && xdotool getwindowpid "$id" 2>/dev/null
}
# Gone, or ended and waiting to be collected by a parent that never does.
gone() { [ ! -e "/proc/$1" ] || [ "$(awk '{ print $3 }' "/proc/$1/stat" 2>/dev/null)" = Z ]; }
# Waits (with a generous bound, against a hang) until the process has ended.
wait_gone() {
  local i
  for ((i = 0; i < 600; i++)); do gone "$1" && return 0; sleep 0.1; done
  return 1
}

d="$work/クリップ ボード"
mkdir -p "$d"
printf 'x' >"$d/one.txt"
printf 'x' >"$d/二つ目 の.txt"
printf 'x' >"$d/Three.txt"

# Stored settings that hide the window (GMenu on), so each start runs at once.
settings
run_x "$d/二つ目 の.txt" "$d/one.txt" "$d/Three.txt"
check "run ends with status 0" test "$status" -eq 0
expect_file "nothing on standard output" "$work/out" ''
clip
expect_file "clipboard holds the text" "$work/clip" '%s\r\n%s\r\n%s\r\n' \
  "$d/one.txt" "$d/Three.txt" "$d/二つ目 の.txt"
clip -t TARGETS
check "targets list UTF8_STRING" grep -qx UTF8_STRING "$work/clip"
check "targets list STRING" grep -qx STRING "$work/clip"
first=$(owner_pid)
check "the owner is a process of its own" test -n "$first"

# A second run, started from inside the folder, takes the clipboard over; the first
# owner ends. The new owner keeps no folder busy (the volume can be unmounted).
(cd "$d" && run_x "$d/one.txt")
clip
expect_file "second run's text" "$work/clip" '%s' "$d/one.txt"
second=$(owner_pid)
check "second run has a new owner" test -n "$second" -a "$second" != "$first"
check "first owner ended" wait_gone "$first"
check "owner works in /" test "$(readlink "/proc/$second/cwd")" = /

# More than 2 MiB: three lines with a long prefix, read back whole (INCR).
prefix=$(printf 'あいうえお%.0s' $(seq 50000))
settings "GPrefix=$prefix"
run_x "$d/one.txt" "$d/Three.txt" "$d/二つ目 の.txt"
clip
printf '%s%s\r\n' "$prefix" "$d/one.txt" "$prefix" "$d/Three.txt" "$prefix" "$d/二つ目 の.txt" \
  >"$work/big"
check "large text: read back whole" cmp -s "$work/big" "$work/clip"
check "large text: over 2 MiB" test "$(stat -c %s "$work/clip")" -gt 2097152

# A missing path: the message box appears and waits; Return closes it, the program
# ends, and the clipboard holds the line gathered before the missing path.
settings
timeout 120 "$KIRRAMO_BIN" "$d/one.txt" "$d/無い.txt" 2>"$work/err" &
kirramo_pid=$!
box=$(timeout 60 xdotool search --sync --onlyvisible --name '^Kirramo$' 2>/dev/null | head -n 1)
check "message box shown" test -n "$box"
check "program waits while the box is shown" kill -0 "$kirramo_pid"
[ -n "$box" ] && xdotool windowfocus --sync "$box" key Return
status=0
wait "$kirramo_pid" || status=$?
check "program ends after the box, status 1 (a path was missing)" test "$status" -eq 1
check "no text message beside the box" test ! -s "$work/err"
clip
expect_file "clipboard holds the earlier line" "$work/clip" '%s' "$d/one.txt"

report
