#!/usr/bin/env bash
# Takes the README's screenshots of the settings window and of the progress window: the
# built program on a private Xvfb server (stopped by its PID), at a display scale of
# 200 % so that every caption is sharp; each window alone is cut out of the screen. The
# settings window with a few options set; the progress window of a run over photo
# folders on a slow file system (tests/tools/slowfs.py, FUSE: needs root and fusepy;
# without them that screenshot is left out).
# Usage: scripts/screenshot.sh [SETTINGS.png [PROGRESS.png]]
#        (default docs/settings-window-linux.png and docs/progress-window-linux.png)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=$(realpath -m "${1:-$root/docs/settings-window-linux.png}")
progress_out=$(realpath -m "${2:-$root/docs/progress-window-linux.png}")
program=${KIRRAMO_BUILD:-$root/build}/kirramo
for tool in Xvfb xdotool import convert; do
  command -v "$tool" >/dev/null || { echo "$tool is not installed" >&2; exit 1; }
done
[ -x "$program" ] || "$root/scripts/build.sh"

work=$(mktemp -d)
pids=()
mounted=
cleanup() {
  local p
  [ -z "$mounted" ] || umount -l "$mounted" 2>/dev/null || true
  for p in "${pids[@]+"${pids[@]}"}"; do kill "$p" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT

mkfifo "$work/display"
Xvfb -displayfd 3 -nolisten tcp -noreset -screen 0 1600x1200x24 3>"$work/display" 2>/dev/null &
pids+=($!)
read -r -t 60 number <"$work/display"
export DISPLAY=":$number" XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/runtime"
unset WAYLAND_DISPLAY
mkdir -p "$XDG_CONFIG_HOME/kirramo" "$work/写真"
mkdir -m 700 "$XDG_RUNTIME_DIR"
printf '%s\r\n' GLong=True GUpper=False GName=False GExt=False GFolder=True 'GFPattern=*.jpg;*.png' \
  'GFPatternSet=*.*|*.jpg|*.png|*.txt' GSub=False GTime=True GUnc=False GSize=True GUnit=2 GDir=False \
  GBackword=False GTreeP=False GTreeF=False GRepYen=False GRepSP=False G1Frtn=False GMenu=False \
  'GPrefix=<' 'GSuffix=>' >"$XDG_CONFIG_HOME/kirramo/Tolvane.ini"

# wait_window [NOT]: the id of a shown window "Kirramo" (other than NOT) in $win.
wait_window() {
  win=
  for ((i = 0; i < 600; i++)); do
    win=$(xdotool search --onlyvisible --name '^Kirramo$' 2>/dev/null | grep -vx "${1:-none}" | head -n 1) || true
    [ -n "$win" ] && return 0
    sleep 0.1
  done
  return 1
}
# cut OUTPUT: the window $win alone, cut out of the screen.
cut() {
  eval "$(xdotool getwindowgeometry --shell "$win")"
  import -window root "$work/screen.png"
  convert "$work/screen.png" -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$1"
  echo "$1"
}

xdotool mousemove 800 900
QT_SCALE_FACTOR=2 "$program" "$work/写真" &
pids+=($!)
wait_window || { echo "the window did not appear" >&2; exit 1; }
# The pointer out of the way, so that no tooltip covers a control.
xdotool mousemove 0 0
sleep 1
cut "$out"
xdotool windowfocus --sync "$win" key Escape
wait "${pids[-1]}" || true

# The progress window: twelve folders of photos, each with three subfolders, every
# listing taking 0.15 s; the run is stopped once the window is taken.
if [ ! -c /dev/fuse ] || [ "$(id -u)" -ne 0 ] || ! /usr/bin/python3 -c 'import fusepy' 2>/dev/null; then
  echo "no FUSE file system can be mounted here: no screenshot of the progress window" >&2
  exit 0
fi
python3 - "$work/photos" <<'PY'
import os, sys
for month in range(1, 13):
    album = os.path.join(sys.argv[1], f"2024-{month:02} 家族旅行")
    for sub in ("", "RAW", "編集済み", "共有"):
        os.makedirs(os.path.join(album, sub), exist_ok=True)
        for n in range(1, 41):
            open(os.path.join(album, sub, f"IMG_{month:02}{n:03}.jpg"), "w").close()
PY
mkdir -p "$work/写真"
/usr/bin/python3 "$root/tests/tools/slowfs.py" "$work/photos" "$work/写真" --delay-ms 150 >"$work/slowfs.out" 2>&1 &
pids+=($!)
mounted="$work/写真"
for ((i = 0; i < 100; i++)); do
  grep -q '^mounted' "$work/slowfs.out" 2>/dev/null && break
  sleep 0.05
done
printf '%s\r\n' GLong=True GUpper=False GName=False GExt=False GFolder=True 'GFPattern=*.*' \
  'GFPatternSet=*.*|*.jpg|*.png|*.txt' GSub=True GTime=False GUnc=False GSize=False GUnit=0 GDir=False \
  GBackword=False GTreeP=False GTreeF=False GRepYen=False GRepSP=False G1Frtn=False GMenu=True \
  GPrefix= GSuffix= >"$XDG_CONFIG_HOME/kirramo/Tolvane.ini"
xdotool mousemove 800 900
QT_SCALE_FACTOR=2 "$program" "$work/写真"/* &
pids+=($!)
wait_window || { echo "the progress window did not appear" >&2; exit 1; }
sleep 2.5
cut "$progress_out"
xdotool windowfocus --sync "$win" key Escape
wait "${pids[-1]}" || true
