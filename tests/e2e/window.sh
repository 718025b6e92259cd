#!/usr/bin/env bash
# The start-up roads on an X11 display (a private Xvfb server started here with
# -noreset, so that keys held with xdotool stay held between clients, and stopped by
# its PID): the settings window with Enter, Esc and its close box, the quick presets
# with Shift or Ctrl held, the window forced by Shift and Ctrl, and a second instance
# started while the window is open.
source "$(dirname "$0")/lib/common.bash"

x_display xclip xdotool

# Keys that a failed step left held are let go before anything else runs.
release_keys() { xdotool keyup shift ctrl 2>/dev/null; }
at_exit=(release_keys "${at_exit[@]}")

# start ARGS...: starts the program in the background; its PID in $pid.
start() {
  timeout 300 "$KIRRAMO_BIN" "$@" >"$work/out" 2>"$work/err" &
  pid=$!
}
# finish_run: waits (with a generous bound, against a hang) for the program started
# last to end, stopping it past the bound; its exit status in $status.
finish_run() {
  local i
  for ((i = 0; i < 600; i++)); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  kill -0 "$pid" 2>/dev/null && kill "$pid" 2>/dev/null
  status=0
  wait "$pid" || status=$?
}
# The settings windows on the screen, one id a line.
windows() { xdotool search --onlyvisible --name '^Kirramo$' 2>/dev/null; }
# wait_window: waits until the settings window is shown; its id in $win.
wait_window() {
  local i
  win=
  for ((i = 0; i < 600; i++)); do
    win=$(windows | head -n 1)
    [ -n "$win" ] && return 0
    kill -0 "$pid" 2>/dev/null || return 1
    sleep 0.1
  done
  return 1
}
# press KEY: gives the window the focus (there is no window manager to do it) and
# presses the key in it.
press() { xdotool windowfocus --sync "$win" key "$1"; }
clip() { timeout 60 xclip -o -selection clipboard >"$work/clip" 2>/dev/null; }
# mark_clipboard: a known text on the clipboard, held by xclip, to see that a start
# left the clipboard alone.
mark_clipboard() { printf 'mark' | timeout 60 xclip -i -selection clipboard 2>/dev/null; }

d="$work/窓 テスト"
mkdir -p "$d/sub"
printf 'x' >"$d/b.txt"
printf 'x' >"$d/A 1.txt"

# No settings file, Enter: the designed options (long paths) on the clipboard, and
# the settings file written once, with every option of the window.
no_settings
start "$d/sub" "$d/b.txt" "$d/A 1.txt"
check "no settings: window shown" wait_window
[ -n "$win" ] && press Return
finish_run
check "Enter: program ends with status 0" test "$status" -eq 0
clip
expect_file "Enter: long paths on the clipboard" "$work/clip" '%s\r\n%s\r\n%s\r\n' \
  "$d/A 1.txt" "$d/b.txt" "$d/sub"
expect_file "Enter: settings file of 22 lines" "$settings_file" '%s\r\n' \
  GLong=True GUpper=False GName=False GExt=False GFolder=False 'GFPattern=*.*' \
  'GFPatternSet=*.*|*.bat|*.bmp|*.dll|*.exe|*.gif|*.htm|*.html|*.jpg|*.log|*.tmp|*.txt' \
  GSub=False GTime=False GUnc=False GSize=False GUnit=0 GDir=False GBackword=False \
  GTreeP=False GTreeF=False GRepYen=False GRepSP=False G1Frtn=False GMenu=False GPrefix= GSuffix=

# No settings file, Esc: nothing runs and nothing is saved.
no_settings
mark_clipboard
start "$d/b.txt"
check "Esc: window shown" wait_window
[ -n "$win" ] && press Escape
finish_run
check "Esc: program ends with status 0" test "$status" -eq 0
check "Esc: no settings file" test ! -e "$settings_file"
clip
expect_file "Esc: clipboard untouched" "$work/clip" 'mark'

# The close box right after a start without a settings file: no run; the file holds
# the start-up values (every flag off, an empty pattern) and the unit chosen by three
# clicks on the unit label. With no window manager, the close box's message is sent
# by hand.
close_box() {
  python3 - "$1" <<'EOF'
import ctypes, sys
x = ctypes.CDLL("libX11.so.6")
x.XOpenDisplay.restype = ctypes.c_void_p
x.XInternAtom.restype = ctypes.c_ulong
x.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
x.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long, ctypes.c_void_p]
x.XFlush.argtypes = x.XCloseDisplay.argtypes = [ctypes.c_void_p]
class ClientMessage(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", ctypes.c_void_p), ("window", ctypes.c_ulong), ("message_type", ctypes.c_ulong),
                ("format", ctypes.c_int), ("data", ctypes.c_long * 5)]
class Event(ctypes.Union):
    _fields_ = [("xclient", ClientMessage), ("pad", ctypes.c_long * 24)]
d = x.XOpenDisplay(None)
if not d:
    sys.exit(1)
e = Event()
e.xclient.type = 33  # ClientMessage
e.xclient.window = int(sys.argv[1])
e.xclient.message_type = x.XInternAtom(d, b"WM_PROTOCOLS", 0)
e.xclient.format = 32
e.xclient.data[0] = x.XInternAtom(d, b"WM_DELETE_WINDOW", 0)
ok = x.XSendEvent(d, e.xclient.window, 0, 0, ctypes.byref(e))
x.XFlush(d)
x.XCloseDisplay(d)
sys.exit(0 if ok else 1)
EOF
}
if command -v python3 >/dev/null; then
  no_settings
  mark_clipboard
  start "$d/b.txt"
  check "close box: window shown" wait_window
  if [ -n "$win" ]; then
    # The unit label's centre: frame top 2700 + label 480..735, left 3120..3735
    # twips, at 15 twips a pixel. Two clicks, each on its own (two within the
    # double-click time would make a double-click), then a double-click, which steps
    # the unit once: three steps.
    xdotool mousemove --window "$win" $(((3120 + 615 / 2) / 15)) $(((2700 + 480 + 255 / 2) / 15))
    for _ in 1 2; do
      xdotool click 1
      sleep 1
    done
    xdotool click --repeat 2 --delay 100 1
    check "close box: message sent" close_box "$win"
  fi
  finish_run
  check "close box: program ends with status 0" test "$status" -eq 0
  settings_lines GLong=False GFPattern= GUnit=3 GMenu=False \
    'GFPatternSet=*.*|*.bat|*.bmp|*.dll|*.exe|*.gif|*.htm|*.html|*.jpg|*.log|*.tmp|*.txt' >"$work/saved"
  check "close box: start-up values and the clicked unit saved" cmp -s "$work/saved" "$settings_file"
  clip
  expect_file "close box: clipboard untouched" "$work/clip" 'mark'
else
  echo "SKIP: the close box (python3 is not installed)"
fi

# Help opens the usage text with the desktop's viewer (here a stand-in for xdg-open
# that notes what it was given) and leaves the window open: the text beside the built
# program, and the installed text for an installed program.
mkdir -p "$work/bin"
cat >"$work/bin/xdg-open" <<EOF
#!/bin/sh
printf '%s' "\$1" >"$work/opened"
EOF
chmod +x "$work/bin/xdg-open"
# help_opens PROGRAM: the path the program's Help gave the viewer, in $work/opened.
help_opens() {
  local program=$1 i
  rm -f "$work/opened"
  settings GMenu=False
  PATH="$work/bin:$PATH" timeout 300 "$program" "$d/b.txt" >"$work/out" 2>"$work/err" &
  pid=$!
  wait_window || return 1
  # The Help button's centre: 3120..3915 by 5940..6300 twips.
  xdotool mousemove --window "$win" $(((3120 + 795 / 2) / 15)) $(((5940 + 360 / 2) / 15)) click 1
  for ((i = 0; i < 600; i++)); do
    [ -s "$work/opened" ] && break
    sleep 0.1
  done
  windows | grep -qx "$win" || return 1
  press Escape
  finish_run
  test -s "$work/opened"
}
check "Help: built program opens its usage text" help_opens "$KIRRAMO_BIN"
check "Help: the text beside the built program" \
  test "$(cat "$work/opened" 2>/dev/null)" = "$(dirname "$KIRRAMO_BIN")/how to use.txt"
build=$(dirname "$KIRRAMO_BIN")
if command -v cmake >/dev/null && [ -f "$build/cmake_install.cmake" ] &&
  cmake --install "$build" --prefix "$work/prefix" >/dev/null; then
  check "Help: installed program opens its usage text" help_opens "$work/prefix/bin/kirramo"
  check "Help: the installed text" \
    test "$(cat "$work/opened" 2>/dev/null)" = "$work/prefix/share/kirramo/how to use.txt"
fi

# Shift held: the long names at once. The stored settings would show the window and
# change every line; they are neither applied nor written.
settings GMenu=False GUpper=True 'GPrefix=<' GFolder=True
cp "$settings_file" "$work/stored"
xdotool keydown shift
start "$d/sub" "$d/b.txt"
finish_run
xdotool keyup shift
check "Shift: program ends with status 0" test "$status" -eq 0
check "Shift: no window left" test -z "$(windows)"
clip
expect_file "Shift: names on the clipboard" "$work/clip" '%s\r\n%s\r\n' b.txt sub
check "Shift: settings file unchanged" cmp -s "$work/stored" "$settings_file"

# Ctrl held: the long paths, settings likewise left alone.
xdotool keydown ctrl
start "$d/sub" "$d/b.txt"
finish_run
xdotool keyup ctrl
check "Ctrl: program ends with status 0" test "$status" -eq 0
clip
expect_file "Ctrl: paths on the clipboard" "$work/clip" '%s\r\n%s\r\n' "$d/b.txt" "$d/sub"
check "Ctrl: settings file unchanged" cmp -s "$work/stored" "$settings_file"

# An option wins over the keys: Shift held with --paths gives the full paths.
xdotool keydown shift
start --paths "$d/sub" "$d/b.txt"
finish_run
xdotool keyup shift
check "Shift with --paths: program ends with status 0" test "$status" -eq 0
clip
expect_file "Shift with --paths: paths on the clipboard" "$work/clip" '%s\r\n%s\r\n' "$d/b.txt" "$d/sub"
check "Shift with --paths: settings file unchanged" cmp -s "$work/stored" "$settings_file"

# --window without keys: the window, although the stored settings hide it.
settings GMenu=True
start --window "$d/b.txt"
check "--window: window shown although GMenu is on" wait_window
[ -n "$win" ] && press Escape
finish_run
check "--window: Esc ends the program" test "$status" -eq 0

# Shift and Ctrl held: the window, although the stored settings hide it.
settings GMenu=True
cp "$settings_file" "$work/stored"
mark_clipboard
xdotool keydown shift ctrl
start "$d/b.txt"
check "Shift+Ctrl: window shown although GMenu is on" wait_window
xdotool keyup shift ctrl
first=$pid

# A second instance while the window is open ends by itself, without a window of its
# own and without touching the clipboard; the first one goes on.
start "$d/sub"
finish_run
check "second instance: ends with status 3" test "$status" -eq 3
check "second instance: no second window" test "$(windows | wc -l)" -eq 1
check "second instance: first one still runs" kill -0 "$first"
clip
expect_file "second instance: clipboard untouched" "$work/clip" 'mark'

pid=$first
[ -n "$win" ] && press Escape
finish_run
check "Shift+Ctrl: Esc ends the program" test "$status" -eq 0
check "Shift+Ctrl: settings file unchanged" cmp -s "$work/stored" "$settings_file"

report
