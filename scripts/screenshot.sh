#!/usr/bin/env bash
# Takes the README's screenshot of the settings window: the built program on a private
# Xvfb server (stopped by its PID), at a display scale of 200 % so that every caption
# is sharp, with a few options set; the window alone is cut out of the screen.
# Usage: scripts/screenshot.sh [OUTPUT.png]   (default docs/settings-window-linux.png)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=$(realpath -m "${1:-$root/docs/settings-window-linux.png}")
program=${KIRRAMO_BUILD:-$root/build}/kirramo
for tool in Xvfb xdotool import convert; do
  command -v "$tool" >/dev/null || { echo "$tool is not installed" >&2; exit 1; }
done
[ -x "$program" ] || "$root/scripts/build.sh"

work=$(mktemp -d)
pids=()
cleanup() {
  local p
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

xdotool mousemove 800 900
QT_SCALE_FACTOR=2 "$program" "$work/写真" &
pids+=($!)
win=
for ((i = 0; i < 600; i++)); do
  win=$(xdotool search --onlyvisible --name '^Kirramo$' 2>/dev/null | head -n 1) || true
  [ -n "$win" ] && break
  sleep 0.1
done
[ -n "$win" ] || { echo "the window did not appear" >&2; exit 1; }
# The pointer out of the way, so that no tooltip covers a control.
xdotool mousemove 0 0
sleep 1
eval "$(xdotool getwindowgeometry --shell "$win")"
import -window root "$work/screen.png"
convert "$work/screen.png" -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$out"
xdotool windowfocus --sync "$win" key Escape
echo "$out"
