#!/usr/bin/env bash
# Takes the README's screenshots of the Windows windows: the built kirramo.exe under Wine
# in a private prefix (Japanese locale, the display set to 144 dpi, 150 %), inside a
# Wine desktop on a private Xvfb server (both stopped at the end); the window alone is
# cut out of the screen. The settings window with a few options set, or with
# --progress the progress window of a long run (stopped with 中止 once taken).
# Usage: scripts/screenshot-windows.sh [--progress] [OUTPUT.png]
#   (default docs/settings-window-windows.png, or docs/progress-window-windows.png)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
progress=0
if [ "${1:-}" = --progress ]; then
  progress=1
  shift
fi
default=$root/docs/settings-window-windows.png
[ "$progress" -eq 1 ] && default=$root/docs/progress-window-windows.png
out=$(realpath -m "${1:-$default}")
build=${KIRRAMO_WIN_BUILD:-$root/build-win}
for tool in Xvfb wine wineserver import convert iconv; do
  command -v "$tool" >/dev/null || { echo "$tool is not installed" >&2; exit 1; }
done
# Wine's own fonts draw the captions and their buttons (Marlett's close box).
[ -f /usr/share/wine/fonts/marlett.ttf ] || { echo "Wine's fonts are not installed (fonts-wine)" >&2; exit 1; }
[ -f "$build/kirramo.exe" ] && [ -f "$build/wine-tools/drive.exe" ] ||
  { echo "build the Windows program and its test helpers first ($build)" >&2; exit 1; }

work=$(mktemp -d)
export WINEPREFIX="$work/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINEARCH=win64
export LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8
xvfb_pid=
cleanup() {
  wineserver -k 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

mkfifo "$work/display"
Xvfb -displayfd 3 -nolisten tcp -noreset -screen 0 1024x768x24 3>"$work/display" 2>/dev/null &
xvfb_pid=$!
read -r -t 60 number <"$work/display"
export DISPLAY=":$number"

wineboot -i >/dev/null 2>&1 || true
wineserver -w
# Wine's own caption fonts, the Japanese faces of a Japanese Windows on Noto Sans CJK
# JP, and the display's resolution.
mkdir -p "$WINEPREFIX/drive_c/windows/Fonts"
cp /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
{
  printf 'Windows Registry Editor Version 5.00\r\n\r\n'
  printf '[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Replacements]\r\n'
  printf '"%s"="Noto Sans CJK JP"\r\n' 'ＭＳ Ｐゴシック' 'MS PGothic' 'MS UI Gothic'
  printf '\r\n[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion\\FontSubstitutes]\r\n'
  printf '"MS Shell Dlg"="MS UI Gothic"\r\n'
  printf '\r\n[HKEY_CURRENT_USER\\Control Panel\\Desktop]\r\n"LogPixels"=dword:00000090\r\n'
  # Every program on one Wine desktop of the screen's size, where Wine draws the
  # caption and the border itself (there is no window manager to draw them).
  printf '\r\n[HKEY_CURRENT_USER\\Software\\Wine\\Explorer]\r\n"Desktop"="Default"\r\n'
  printf '\r\n[HKEY_CURRENT_USER\\Software\\Wine\\Explorer\\Desktops]\r\n"Default"="1024x768"\r\n'
} | iconv -f UTF-8 -t UTF-16LE | { printf '\xff\xfe'; cat; } >"$work/setup.reg"
wine regedit /S "Z:${work//\//\\}\\setup.reg" >/dev/null 2>&1
wineserver -w

app="$work/アプリ"
mkdir -p "$app" "$work/写真"
cp "$build/kirramo.exe" "$app/"
drive() { wine "$build/wine-tools/drive.exe" "$@" 2>/dev/null | tr -d '\r'; }

if [ "$progress" -eq 1 ]; then
  # A long run: the subfolders of a photo folder of 200 albums on drive D:, selected
  # 60 times.
  mkdir -p "$work/d"
  ln -s "$work/d" "$WINEPREFIX/dosdevices/d:"
  for i in $(seq -w 1 200); do mkdir -p "$work/d/写真/2024年 アルバム $i/元画像"; done
  printf '%s\r\n' GLong=True GDir=True GMenu=True | iconv -f UTF-8 -t CP932 >"$app/Tolvane.ini"
  paths=()
  for _ in $(seq 60); do paths+=('D:\写真'); done
  drive pointer 240 200 >/dev/null
  wine "$app/kirramo.exe" "${paths[@]}" >/dev/null 2>&1 &
  read -r x y w h < <(drive progress wait rect)
  # Taken once the bar has moved, with an album on the folder line, the window active
  # as after a click on it.
  sleep 1
  for _ in $(seq 20); do
    drive progress state LblFolder | grep -q 'アルバム' && break
  done
  drive progress activate >/dev/null
else
  printf '%s\r\n' GLong=True GUpper=False GName=False GExt=False GFolder=True 'GFPattern=*.jpg' \
    'GFPatternSet=*.*|*.jpg|*.png|*.txt' GSub=False GTime=True GUnc=False GSize=True GUnit=2 GDir=False \
    GBackword=False GTreeP=False GTreeF=False GRepYen=False GRepSP=False G1Frtn=False GMenu=False \
    'GPrefix=<' 'GSuffix=>' | iconv -f UTF-8 -t CP932 >"$app/Tolvane.ini"
  wine "$app/kirramo.exe" "Z:${work//\//\\}\\写真" >/dev/null 2>&1 &
  read -r x y w h < <(drive wait rect)
  sleep 1
fi
mkdir -p "$(dirname "$out")"
import -window root "$work/screen.png"
convert "$work/screen.png" -crop "${w}x${h}+${x}+${y}" +repage "$out"
if [ "$progress" -eq 1 ]; then
  drive progress click CmdStop gone >/dev/null || true
else
  drive key esc gone >/dev/null || true
fi
echo "$out: ${w}x${h}"
