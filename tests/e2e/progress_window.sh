#!/usr/bin/env bash
# The progress window on an X11 display (a private Xvfb server), with folders on a slow
# file system (tests/tools/slowfs.py: each listing waits, and one folder's listing
# hangs for a while): the window of a direct run appears after half a second and its
# counts move; Esc and a click on 中止 end the program within half a second (status 5,
# the clipboard as it was); while a listing hangs, the windows go within half a second
# and the program ends as soon as the listing lets it, with nothing placed; a quick
# run shows no window; a long run left alone places every line; the settings window's
# Get shows its own progress window, whose Esc leaves the settings saved and the
# clipboard as it was. Every run has a time limit.
source "$(dirname "$0")/lib/common.bash"

x_display xclip xdotool

# slow: 30 folders of 10 files, each with a subfolder of 5 files (61 listings);
# few: 3 folders; stuck: a folder whose listing takes 3 s (a file system that does not
# answer; the process of a program waiting for it cannot end before it answers).
python3 - "$work/source" <<'PY'
import os, sys
root = sys.argv[1]
for top, count in (("slow", 30), ("few", 3)):
    for i in range(count):
        d = os.path.join(root, top, f"d{i:02}", "s")
        os.makedirs(d)
        for j in range(10):
            open(os.path.join(root, top, f"d{i:02}", f"f{j}.txt"), "w").close()
        for j in range(5):
            open(os.path.join(d, f"g{j}.txt"), "w").close()
os.makedirs(os.path.join(root, "stuck", "inner"))
PY
slow_folder "$work/source" "$work/mnt" --delay-ms 60 --hang stuck --hang-ms 3000

# start ARGS...: starts the program in the background, its time limit 60 s; its PID in
# $pid, the time in $started.
start() {
  started=$EPOCHREALTIME
  timeout 60 "$KIRRAMO_BIN" "$@" >"$work/out" 2>"$work/err" &
  pid=$!
}
# end_after ACTION...: does the action, then waits for the program started last; its
# exit status in $status and the seconds from the action's start (the start of the
# xdotool that acts) to the program's end in $seconds.
end_after() {
  local acted=$EPOCHREALTIME
  "$@"
  status=0
  wait "$pid" || status=$?
  seconds=$(python3 -c "print(f'{$EPOCHREALTIME - $acted:.3f}')")
}
# within LIMIT: the last measured seconds are below LIMIT.
within() { python3 -c "import sys; sys.exit(0 if $seconds < $1 else 1)"; }
windows() { xdotool search --onlyvisible --name '^Kirramo$' 2>/dev/null; }
# wait_window [NOT]: waits up to 5 s for a window "Kirramo" (other than NOT); its id in
# $win and the seconds since the start in $appeared.
wait_window() {
  local i
  win=
  for ((i = 0; i < 500; i++)); do
    win=$(windows | grep -vx "${1:-none}" | head -n 1)
    if [ -n "$win" ]; then
      appeared=$(python3 -c "print(f'{$EPOCHREALTIME - $started:.3f}')")
      return 0
    fi
    kill -0 "$pid" 2>/dev/null || return 1
    sleep 0.01
  done
  return 1
}
mark_clipboard() { printf 'mark' | timeout 10 xclip -i -selection clipboard 2>/dev/null; }
clip() { timeout 10 xclip -o -selection clipboard >"$work/clip" 2>/dev/null; }
# The counts line of the window, as pixels: LblCounts is 120..5280 by 420..675 twips.
counts_pixels() { import -window "$win" -crop 344x17+8+28 rgb:- 2>/dev/null | md5sum; }
# The centre of 中止: 4080..5280 by 1320..1695 twips.
click_stop() { xdotool mousemove --window "$win" $(((4080 + 600) / 15)) $(((1320 + 187) / 15)) click 1; }
press_escape() { xdotool windowfocus --sync "$win" key Escape; }
# gone_after ACTION...: does the action, then waits up to 5 s until no window
# "Kirramo" is shown; the seconds from the action's start in $seconds.
gone_after() {
  local acted=$EPOCHREALTIME i
  "$@"
  for ((i = 0; i < 500; i++)); do
    [ -z "$(windows)" ] && break
    sleep 0.01
  done
  seconds=$(python3 -c "print(f'{$EPOCHREALTIME - $acted:.3f}')")
}

# expect_stopped WHAT ACTION: the user's ACTION ends the run within half a second, with
# status 5 (cancelled) and the clipboard as it was.
expect_stopped() {
  end_after "$2"
  echo "$1: the program ended ${seconds}s after the action"
  check "$1: exit status 5 (cancelled), was $status" test "$status" -eq 5
  check "$1: ended within 0.5 s (${seconds}s)" within 0.5
  clip
  expect_file "$1: the clipboard as it was" "$work/clip" 'mark'
}

# A direct run (the stored settings hide the settings window) on the slow folders.
settings GDir=True GMenu=True
mark_clipboard
start "$work/mnt/slow"
check "direct: the window appears" wait_window
echo "direct: the window appeared ${appeared}s after the start"
if [ -n "$win" ]; then
  check "direct: not before half a second (${appeared}s)" python3 -c "import sys; sys.exit($appeared < 0.5)"
  if command -v import >/dev/null; then
    first=$(counts_pixels)
    sleep 0.4
    check "direct: the counts move" test "$(counts_pixels)" != "$first"
  fi
  expect_stopped "direct: Esc" press_escape
  check "direct: Esc: no window left" test -z "$(windows)"
fi
wait "$pid" 2>/dev/null

# A click on 中止, here in a tree listing, which stops at its next folder.
settings GTreeF=True GMenu=True
start "$work/mnt/slow"
check "tree: the window appears" wait_window
if [ -n "$win" ]; then
  expect_stopped "tree: 中止" click_stop
fi
wait "$pid" 2>/dev/null

# 中止 while a listing hangs: the window goes at once, and the program ends, with
# nothing placed, as soon as the listing lets it.
settings GDir=True GMenu=True
start "$work/mnt/stuck"
check "hanging listing: the window appears" wait_window
if [ -n "$win" ]; then
  gone_after click_stop
  echo "hanging listing: the window went ${seconds}s after a click on 中止"
  check "hanging listing: 中止: the window gone within 0.5 s (${seconds}s)" within 0.5
  end_after true
  check "hanging listing: 中止: exit status 5, was $status" test "$status" -eq 5
  clip
  expect_file "hanging listing: 中止: the clipboard as it was" "$work/clip" 'mark'
fi
wait "$pid" 2>/dev/null

# A quick run (3 × 2 listings, under half a second) shows no window.
start "$work/mnt/few"
shown=
while kill -0 "$pid" 2>/dev/null; do
  [ -n "$(windows)" ] && shown=1
  sleep 0.01
done
status=0
wait "$pid" || status=$?
check "quick run: exit status 0, was $status" test "$status" -eq 0
check "quick run: no window" test -z "$shown"
clip
check "quick run: every folder (6 lines)" test "$(tr -cd '\n' <"$work/clip" | wc -c)" -eq 6

# A long run left alone places every line and closes its window.
mark_clipboard
start "$work/mnt/slow"
check "long run: the window appears" wait_window
status=0
wait "$pid" || status=$?
check "long run: exit status 0, was $status" test "$status" -eq 0
clip
check "long run: every folder (60 lines)" test "$(tr -cd '\n' <"$work/clip" | wc -c)" -eq 60
check "long run: no window left" test -z "$(windows)"

# The settings window's Get: its run shows a progress window of its own while the
# settings window stays; Esc there while a listing hangs ends the program (status 5),
# with the settings saved by Get and the clipboard as it was.
settings GDir=True GMenu=False
touch -d '2001-01-01' "$settings_file"
mark_clipboard
start "$work/mnt/stuck"
if check "Get: the settings window appears" wait_window; then
  settings_window=$win
  xdotool windowfocus --sync "$settings_window" key Return
  started=$EPOCHREALTIME
  if check "Get: the progress window appears" wait_window "$settings_window"; then
    echo "Get: the progress window appeared ${appeared}s after Get"
    check "Get: the settings window stays shown" sh -c "xdotool search --onlyvisible --name '^Kirramo$' | grep -qx $settings_window"
    gone_after press_escape
    echo "Get: both windows went ${seconds}s after Esc"
    check "Get: Esc: both windows gone within 0.5 s (${seconds}s)" within 0.5
    end_after true
    check "Get: Esc: exit status 5, was $status" test "$status" -eq 5
  fi
fi
wait "$pid" 2>/dev/null
check "Get: the settings saved" test -n "$(find "$settings_file" -newermt '2002-01-01')"
check "Get: the stored options saved" grep -q '^GDir=True' "$settings_file"
clip
expect_file "Get: the clipboard as it was" "$work/clip" 'mark'
check "Get: no window left" test -z "$(windows)"

report
