#!/usr/bin/env bash
# The program on a real Wayland compositor: sway, headless (WLR_BACKENDS=headless,
# WLR_RENDERER=pixman), started here and stopped by its PID. Sway refuses to run as
# root, so it runs, with the program and the readers, as a throwaway user made here
# when missing, with a runtime folder of its own (mode 0700). The text is read back
# by wl-paste, an independent Wayland reader, after the program has ended. Sway 1.7
# (Debian 12) offers the wlr version of data-control and not yet the ext one, so the
# owner speaks wlr here.
#
# Without XWayland: a Japanese selection byte for byte, the types offered and the
# STRING form, a listing of more than 5 MB read whole (also while another reader
# stalls, and after one that closed early), --names and --paths, the owner in "/"
# with no descriptor of the launch folder, one owner left after ten runs and none
# once another program takes the clipboard, and the settings window as a native
# Wayland window. With XWayland (DISPLAY set too): the text still read by a Wayland
# reader, and the window still native. And a compositor that is not there: the text
# on standard output. Every step under a time limit.
source "$(dirname "$0")/lib/common.bash"

for tool in sway swaymsg wl-paste wl-copy runuser python3; do
  if ! command -v "$tool" >/dev/null; then
    echo "SKIP: $tool is not installed"
    report
    exit
  fi
done
if [ "$(id -u)" -ne 0 ]; then
  echo "SKIP: runs sway as a throwaway user, which needs root"
  report
  exit
fi

user=kirramo-wayland
id "$user" >/dev/null 2>&1 ||
  useradd --system --user-group --no-create-home --home-dir /nonexistent --shell /usr/sbin/nologin "$user"

# Everything the user touches lives in $wl, which it owns: its home, runtime and
# settings folders, the selected files, and a copy of the program with its Qt module
# (the build folder may lie where the user cannot reach).
chmod 711 "$work"
wl="$work/wl"
mkdir -p "$wl/home" "$wl/config/kirramo" "$wl/bin"
mkdir -m 700 "$wl/runtime"
cp "$KIRRAMO_BIN" "$wl/bin/kirramo"
cp "$(dirname "$KIRRAMO_BIN")/kirramo-qt.so" "$wl/bin/" 2>/dev/null
bin="$wl/bin/kirramo"
settings_file="$wl/config/kirramo/Tolvane.ini"
d="$wl/選択 フォルダ"
mkdir -p "$d/サブ"
printf 'x' >"$d/a 日本語の名前.txt"
printf 'x' >"$d/b ファイル.txt"
printf 'x' >"$wl/café.txt"
chown -R "$user:" "$wl"

# as_user NAME=VALUE... COMMAND...: runs the command as the user, with only the
# environment given here and after it.
as_user() {
  runuser -u "$user" -- env -i HOME="$wl/home" XDG_RUNTIME_DIR="$wl/runtime" \
    XDG_CONFIG_HOME="$wl/config" PATH=/usr/bin:/bin LANG=C.UTF-8 "$@"
}
# user_settings KEY=VALUE...: the settings file, as settings makes it, the user's.
user_settings() {
  settings "$@"
  chown "$user:" "$settings_file"
}
# run_on ENV... -- ARGS...: the program as the user, started in the selected folder,
# under a time limit; its output in $work/out and $work/err, its status in $status.
run_on() {
  local env=()
  while [ "$1" != -- ]; do env+=("$1"); shift; done
  shift
  status=0
  as_user "${env[@]}" timeout 60 env -C "$d" "$bin" "$@" >"$work/out" 2>"$work/err" || status=$?
}
# clip ARGS...: the clipboard read by wl-paste, into $work/clip.
clip() { as_user WAYLAND_DISPLAY="$wayland" timeout 30 wl-paste "$@" >"$work/clip" 2>/dev/null; }

# The owner processes: the user's processes of the program, zombies left out.
owners() {
  local p
  for p in /proc/[0-9]*; do
    [ "$(stat -c %U "$p" 2>/dev/null)" = "$user" ] || continue
    [ "$(readlink "$p/exe" 2>/dev/null)" = "$bin" ] || continue
    [ "$(awk '{ print $3 }' "$p/stat" 2>/dev/null)" = Z ] && continue
    echo "${p#/proc/}"
  done
}
# owner_count_is N: waits (bounded) until N owners are left.
owner_count_is() {
  local i
  for ((i = 0; i < 100; i++)); do
    [ "$(owners | wc -l)" -eq "$1" ] && return 0
    sleep 0.1
  done
  return 1
}

# start_sway enable|disable: sway with XWayland enabled or not, in "/"; its socket's
# name in $wayland, its IPC socket in $swaysock, its PID in $sway_pid.
start_sway() {
  printf 'xwayland %s\n' "$1" >"$wl/sway.conf"
  chown "$user:" "$wl/sway.conf"
  (cd / && exec runuser -u "$user" -- env -i HOME="$wl/home" XDG_RUNTIME_DIR="$wl/runtime" \
    WLR_BACKENDS=headless WLR_RENDERER=pixman WLR_LIBINPUT_NO_DEVICES=1 PATH=/usr/bin:/bin \
    sway -c "$wl/sway.conf") >"$wl/sway.log" 2>&1 &
  sway_runner=$!
  at_exit+=(stop_sway)
  local i
  wayland= swaysock=
  for ((i = 0; i < 200; i++)); do
    wayland=$(find "$wl/runtime" -maxdepth 1 -type s -name 'wayland-*' -printf '%f\n' 2>/dev/null | head -n 1)
    swaysock=$(find "$wl/runtime" -maxdepth 1 -type s -name 'sway-ipc.*' 2>/dev/null | head -n 1)
    [ -n "$wayland" ] && [ -n "$swaysock" ] && break
    sleep 0.1
  done
  # runuser waits for sway, its one child.
  sway_pid=$(cat "/proc/$sway_runner/task/$sway_runner/children" 2>/dev/null)
  sway_pid=${sway_pid%% *}
  [ -n "$wayland" ] && [ -n "$swaysock" ] && [ -n "$sway_pid" ]
}
stop_sway() {
  [ -n "${sway_pid:-}" ] && kill "$sway_pid" 2>/dev/null
  [ -n "${sway_runner:-}" ] && wait "$sway_runner" 2>/dev/null
  sway_pid= sway_runner=
  rm -f "$wl/runtime"/wayland-* "$wl/runtime"/sway-ipc.*
}
# The owners end when the compositor goes; any that did not are ended by their PID.
stop_owners() {
  local p
  for p in $(owners); do kill "$p" 2>/dev/null; done
}
at_exit+=(stop_owners)
swaymsg_() { as_user SWAYSOCK="$swaysock" timeout 30 swaymsg "$@"; }

# The windows of the program on sway: "name shell" per line.
sway_windows() {
  swaymsg_ -t get_tree 2>/dev/null | python3 -c '
import json, sys
def walk(n):
    if n.get("pid"):
        print(n.get("name"), n.get("shell"))
    for c in n.get("nodes", []) + n.get("floating_nodes", []):
        walk(c)
walk(json.load(sys.stdin))'
}
# window_case WHAT ENV...: --window shows the settings window as a native Wayland
# window (xdg_shell, not xwayland); closed through sway, the program ends with status 0.
window_case() {
  local what=$1 i shown=
  shift
  user_settings GMenu=False
  as_user "$@" timeout 120 env -C "$d" "$bin" --window "$d/b ファイル.txt" >"$work/out" 2>"$work/err" &
  local pid=$!
  for ((i = 0; i < 300; i++)); do
    shown=$(sway_windows | grep '^Kirramo ' | head -n 1)
    [ -n "$shown" ] && break
    sleep 0.1
  done
  check "$what: the settings window is shown" test -n "$shown"
  check "$what: a native Wayland window" test "$shown" = "Kirramo xdg_shell"
  swaymsg_ '[title="^Kirramo$"] kill' >/dev/null
  status=0
  wait "$pid" || status=$?
  check "$what: closed, the program ends with status 0" test "$status" -eq 0
  check "$what: no window left" test -z "$(sway_windows | grep '^Kirramo ')"
}

# A compositor that is not there, and no X server: the text on standard output,
# with the one note, within the time limit; also where XDG_RUNTIME_DIR is not set, so
# that a relative WAYLAND_DISPLAY names no place at all.
user_settings
for runtime in set unset; do
  started=$SECONDS
  status=0
  if [ $runtime = set ]; then
    run_on WAYLAND_DISPLAY=nothing -- "$d/a 日本語の名前.txt"
  else
    (cd "$d" && env -u DISPLAY -u XDG_RUNTIME_DIR XDG_CONFIG_HOME="$wl/config" WAYLAND_DISPLAY=nothing \
      timeout 60 "$bin" "$d/a 日本語の名前.txt" >"$work/out" 2>"$work/err") || status=$?
  fi
  check "no compositor, runtime folder $runtime: status 0" test "$status" -eq 0
  expect_file "no compositor, runtime folder $runtime: the text on standard output" "$work/out" '%s' \
    "$d/a 日本語の名前.txt"
  expect_file "no compositor, runtime folder $runtime: the note" "$work/err" \
    'Wayland のディスプレイ「nothing」に接続できません。クリップボードの代わりに標準出力へ書き出しました。\n'
  check "no compositor, runtime folder $runtime: at once" test $((SECONDS - started)) -le 10
done

if ! start_sway disable; then
  fail "sway did not start"
  cat "$wl/sway.log"
  report
  exit
fi

# A Japanese selection, byte for byte, with nothing on standard output or error.
run_on WAYLAND_DISPLAY="$wayland" -- "$d/b ファイル.txt" "$d/サブ" "$d/a 日本語の名前.txt"
check "Japanese selection: status 0" test "$status" -eq 0
check "Japanese selection: nothing on standard output or error" test ! -s "$work/out" -a ! -s "$work/err"
clip -n
expect_file "Japanese selection: read back by wl-paste" "$work/clip" '%s\r\n%s\r\n%s\r\n' \
  "$d/a 日本語の名前.txt" "$d/b ファイル.txt" "$d/サブ"
clip --list-types
expect_file "the types offered" "$work/clip" '%s\n' 'text/plain;charset=utf-8' UTF8_STRING text/plain TEXT STRING
clip -n -t STRING
expect_file "STRING of a Japanese text: its UTF-8 bytes" "$work/clip" '%s\r\n%s\r\n%s\r\n' \
  "$d/a 日本語の名前.txt" "$d/b ファイル.txt" "$d/サブ"
run_on WAYLAND_DISPLAY="$wayland" -- "$wl/café.txt"
clip -n -t STRING
expect_file "STRING of a Latin-1 text: Latin-1" "$work/clip" '%s\351.txt' "$wl/caf"

# The owner works in "/" and holds no descriptor of the folder it was started in.
owner=$(owners | head -n 1)
check "the owner works in /" test "$(readlink "/proc/${owner:-0}/cwd")" = /
check "the owner holds nothing in the launch folder" \
  sh -c "! ls -l /proc/${owner:-0}/fd 2>/dev/null | grep -qF -- '$wl'"

# --names and --paths on Wayland.
run_on WAYLAND_DISPLAY="$wayland" -- --names "$d/サブ" "$d/b ファイル.txt"
clip -n
expect_file "--names: the names on the clipboard" "$work/clip" '%s\r\n%s\r\n' 'b ファイル.txt' サブ
run_on WAYLAND_DISPLAY="$wayland" -- --paths "$d/b ファイル.txt"
clip -n
expect_file "--paths: the full path on the clipboard" "$work/clip" '%s' "$d/b ファイル.txt"

# A listing of more than 5 MB (60,000 files in one folder): the same bytes as on
# standard output, read whole by one reader while another stalls with its pipe full,
# and again after a reader that closed its end early.
big="$wl/大きい"
mkdir -p "$big"
long=$(printf 'n%.0s' $(seq 40))
(cd "$big" && seq -f "%06g-長いファイル名-$long.txt" 1 60000 | xargs touch)
chown -R "$user:" "$big"
user_settings GFolder=True
run_on -- "$big"
cp "$work/out" "$work/expected-big"
size=$(stat -c %s "$work/expected-big")
echo "large listing: $size bytes"
check "large listing: more than 5 MB" test "$size" -gt 5000000
run_on WAYLAND_DISPLAY="$wayland" -- "$big"
check "large listing: status 0" test "$status" -eq 0
as_user WAYLAND_DISPLAY="$wayland" timeout 60 sh -c 'wl-paste -n | (sleep 8; cat >/dev/null)' &
stalled=$!
sleep 0.5
started=$SECONDS
clip -n
check "large listing: read back whole" cmp -s "$work/expected-big" "$work/clip"
check "large listing: not held up by a reader that stalls" test $((SECONDS - started)) -le 5
as_user WAYLAND_DISPLAY="$wayland" timeout 30 sh -c 'wl-paste -n | head -c 100 >/dev/null'
clip -n
check "large listing: whole again after a reader that closed early" cmp -s "$work/expected-big" "$work/clip"
wait "$stalled" 2>/dev/null
user_settings

# Ten runs: each new owner replaces the one before, which ends; one is left. Then
# another program takes the clipboard, and the last one ends too.
for i in $(seq 10); do run_on WAYLAND_DISPLAY="$wayland" -- "$d/b ファイル.txt"; done
check "ten runs: one owner left" owner_count_is 1
clip -n
expect_file "ten runs: the last text" "$work/clip" '%s' "$d/b ファイル.txt"
as_user WAYLAND_DISPLAY="$wayland" timeout 30 sh -c 'printf other | wl-copy' 2>/dev/null
check "another program takes the clipboard: no owner left" owner_count_is 0

window_case "window on Wayland" WAYLAND_DISPLAY="$wayland"
stop_sway

# A Wayland session with XWayland: DISPLAY is set too. The text is still set on the
# Wayland selection and read by a Wayland reader; the window is still native.
if command -v Xwayland >/dev/null && start_sway enable; then
  rm -f "$wl/display"
  swaymsg_ exec "printf %s \"\$DISPLAY\" >'$wl/display'" >/dev/null
  for ((i = 0; i < 100; i++)); do [ -s "$wl/display" ] && break; sleep 0.1; done
  x=$(cat "$wl/display" 2>/dev/null)
  check "XWayland: sway names its display" test -n "$x"
  user_settings
  run_on WAYLAND_DISPLAY="$wayland" DISPLAY="$x" -- "$d/b ファイル.txt" "$d/a 日本語の名前.txt"
  check "XWayland: status 0" test "$status" -eq 0
  check "XWayland: nothing on standard output or error" test ! -s "$work/out" -a ! -s "$work/err"
  clip -n
  expect_file "XWayland: read back by wl-paste" "$work/clip" '%s\r\n%s\r\n' \
    "$d/a 日本語の名前.txt" "$d/b ファイル.txt"
  window_case "window with XWayland" WAYLAND_DISPLAY="$wayland" DISPLAY="$x"
  stop_sway
else
  echo "SKIP: the XWayland session (no Xwayland, or sway did not start with it)"
fi

report
