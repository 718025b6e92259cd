# Shared by the end-to-end scripts under Wine (sourced, never run on its own).
#
# scripts/wine-test.sh runs each tests/wine/*.sh with KIRRAMO_EXE, KIRRAMO_WIN_BUILD,
# WINEPREFIX, DISPLAY and the Japanese locale exported. Each script gets its own work
# folder with a copy of kirramo.exe in a folder of a Japanese name (its settings file
# lies beside it), a clipboard keeper that runs while the script does, and the helper
# programs of <build>/wine-tools: clipread.exe (the judge of the clipboard's bytes),
# holdkeys.exe, closebox.exe, drive.exe and the tree.com stand-in.

set -u
: "${KIRRAMO_EXE:?KIRRAMO_EXE must name the built kirramo.exe}"
: "${KIRRAMO_WIN_BUILD:?KIRRAMO_WIN_BUILD must name the Windows build folder}"
: "${WINEPREFIX:?WINEPREFIX must name the Wine prefix}"
: "${DISPLAY:?DISPLAY must name the X display that Wine uses}"
export WINEDEBUG=${WINEDEBUG:--all}
tools="$KIRRAMO_WIN_BUILD/wine-tools"
for t in clipread.exe holdkeys.exe cliphold.exe closebox.exe drive.exe tree.com; do
  [ -f "$tools/$t" ] || { echo "missing helper: $tools/$t" >&2; exit 2; }
done

KIRRAMO_CHECKS_NAME=wine source "$(dirname "${BASH_SOURCE[0]}")/../../lib/checks.bash"
app="$work/プログラム 1"
mkdir -p "$app"
cp "$KIRRAMO_EXE" "$app/kirramo.exe"
exe="$app/kirramo.exe"
settings_file="$app/Tolvane.ini"

# win PATH: the Windows form of a Linux path (drive Z: is the Linux root in Wine).
win() { printf 'Z:%s' "${1//\//\\}"; }

# ---- The prefix as the tests need it (each step does nothing when already done) ----
# Wine's own fonts (Tahoma for the captions, Marlett for the caption buttons), the
# Japanese faces of a Japanese Windows mapped onto Noto Sans CJK JP, and the tree.com
# stand-in in the system folder.
prepare_prefix() {
  local fonts="$WINEPREFIX/drive_c/windows/Fonts" f
  mkdir -p "$fonts"
  for f in /usr/share/wine/fonts/*.ttf; do
    [ -e "$f" ] && [ ! -e "$fonts/$(basename "$f")" ] && cp "$f" "$fonts/"
  done
  if [ ! -e "$WINEPREFIX/.kirramo-fonts" ]; then
    {
      printf 'Windows Registry Editor Version 5.00\r\n\r\n'
      printf '[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Replacements]\r\n'
      printf '"%s"="Noto Sans CJK JP"\r\n' 'ＭＳ Ｐゴシック' 'MS PGothic' 'MS UI Gothic'
      printf '\r\n[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion\\FontSubstitutes]\r\n'
      printf '"MS Shell Dlg"="MS UI Gothic"\r\n'
    } | iconv -f UTF-8 -t UTF-16LE | { printf '\xff\xfe'; cat; } >"$work/fonts.reg"
    wine regedit /S "$(win "$work/fonts.reg")" >/dev/null 2>&1 && touch "$WINEPREFIX/.kirramo-fonts"
  fi
  cp "$tools/tree.com" "$WINEPREFIX/drive_c/windows/system32/tree.com"
}
prepare_prefix

# The prefix's server is started here, detached from every pipe of the tests: a server
# that a later wine started would keep that one's output open (a pipe reading it would
# never end). When one runs already, this does nothing.
wineserver -p3 </dev/null >/dev/null 2>&1 || true
# Wine keeps the clipboard only while a process of its desktop runs.
wine "$tools/cliphold.exe" </dev/null >/dev/null 2>&1 &
cliphold_pid=$!
stop_cliphold() {
  kill "$cliphold_pid" 2>/dev/null
  wait "$cliphold_pid" 2>/dev/null
}
at_exit+=(stop_cliphold)

# ---- The settings file ----
# settings KEY=VALUE...: writes the settings file as settings_lines makes it (GMenu on:
# a direct run), in cp932.
settings() { settings_lines "$@" | iconv -f UTF-8 -t CP932 >"$settings_file"; }
no_settings() { rm -f "$settings_file"; }

# ---- Runs ----
# run ARGS...: runs kirramo.exe with the paths (Linux paths are given as Windows paths
# by the caller) and waits for it; its exit status in $status. A hang guard only.
run() {
  status=0
  timeout 300 wine "$exe" "$@" >/dev/null 2>&1 || status=$?
}
# start ARGS...: starts kirramo.exe in the background; its PID in $pid.
start() {
  timeout 300 wine "$exe" "$@" >/dev/null 2>&1 &
  pid=$!
}
# finish_run: waits for the program started last; its exit status in $status.
finish_run() {
  status=0
  wait "$pid" || status=$?
}
# holding KEYS ARGS...: runs kirramo.exe with Shift, Ctrl or both held from its start.
holding() {
  local keys=$1
  shift
  status=0
  timeout 300 wine "$tools/holdkeys.exe" "$keys" -- "$(win "$exe")" "$@" >/dev/null 2>&1 || status=$?
}

# clip: the clipboard's bytes into $work/clip.u16 (CF_UNICODETEXT) and
# $work/clip.ansi (CF_TEXT).
clip() {
  rm -f "$work/clip.u16" "$work/clip.ansi"
  timeout 120 wine "$tools/clipread.exe" "$(win "$work/clip.u16")" "$(win "$work/clip.ansi")" >/dev/null 2>&1
}
# expect_clip NAME FORMAT [ARGS...]: the clipboard holds the text of printf (UTF-8
# here) as UTF-16 in CF_UNICODETEXT and in cp932 in CF_TEXT.
expect_clip() {
  local name=$1
  shift
  clip
  # shellcheck disable=SC2059
  printf "$@" >"$work/expected.txt"
  iconv -f UTF-8 -t UTF-16LE "$work/expected.txt" >"$work/expected.u16"
  same_bytes "$name (CF_UNICODETEXT)" "$work/expected.u16" "$work/clip.u16"
  if iconv -f UTF-8 -t CP932 "$work/expected.txt" >"$work/expected.ansi" 2>/dev/null; then
    same_bytes "$name (CF_TEXT)" "$work/expected.ansi" "$work/clip.ansi"
  fi
}
