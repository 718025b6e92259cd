#!/usr/bin/env bash
# The settings file beside kirramo.exe as other programs leave it and as the program
# saves it: Notepad's UTF-8 with and without the byte-order mark read whole, an empty
# file that counts as none, a save that cp932 cannot hold written in UTF-8 behind the
# mark, and a save into a read-only folder told once in a message box. Then the message
# for a missing path among 200 selected ones.
source "$(dirname "$0")/lib/common.bash"

d="$work/設定 テスト"
mkdir -p "$d"
printf 'x' >"$d/報告書 最終版.txt"
D=$(win "$d")
drive() {
  timeout 120 wine "$tools/drive.exe" "$@" >"$work/drive.out" 2>/dev/null
  tr -d '\r' <"$work/drive.out"
}
designed_set='*.*|*.bat|*.bmp|*.dll|*.exe|*.gif|*.htm|*.html|*.jpg|*.log|*.tmp|*.txt'
mark=$'\xEF\xBB\xBF'

# Notepad's UTF-8, with the mark and without it: a direct run (GMenu on) reads the
# Japanese prefix and the first key (GLong: the long name, not the 8.3 one).
for with in "$mark" ""; do
  name="UTF-8 settings file${with:+ behind the mark}"
  { printf '%s' "$with"; settings_lines 'GPrefix=「日本」'; } >"$settings_file"
  run "$D\\報告書 最終版.txt"
  check "$name: exit status 0" test "$status" -eq 0
  expect_clip "$name: the prefix and the long path" '%s' "「日本」$D\\報告書 最終版.txt"
done

# An empty file counts as none: the window shows its designed state (the long form,
# the pattern "*.*"), and Esc leaves the file as it was.
: >"$settings_file"
start "$D\\報告書 最終版.txt"
drive wait dump key esc gone >"$work/dump"
finish_run
check "empty file: the window is shown" grep -q '^OptLong checked=1 enabled=1' "$work/dump"
check "empty file: the designed pattern" grep -qx 'CboPattern checked=0 enabled=0 text=\*\.\*' "$work/dump"
check "empty file: left as it was" test ! -s "$settings_file"

# A prefix that cp932 cannot hold: the file is written in UTF-8 behind the mark, and the
# next start shows the prefix whole.
no_settings
start "$D\\報告書 最終版.txt"
drive wait text TxtPrefix '😀한前' key enter gone >/dev/null
finish_run
check "prefix outside cp932: exit status 0" test "$status" -eq 0
{ printf '%s' "$mark"; settings_lines "GFPatternSet=$designed_set" GMenu=False 'GPrefix=😀한前'; } >"$work/expected"
same_bytes "prefix outside cp932: UTF-8 behind the mark" "$work/expected" "$settings_file"
start "$D\\報告書 最終版.txt"
drive wait state TxtPrefix key esc gone >"$work/state"
finish_run
check "prefix outside cp932: read back whole" grep -qx 'TxtPrefix checked=0 enabled=1 text=😀한前' "$work/state"

# A read-only folder: closing the window cannot save; one message box says so and names
# the file, the old file stays, and the program ends once the box is closed. (Root
# passes over permission bits; the folder is made immutable then.)
settings GMenu=False
cp "$settings_file" "$work/settings.before"
if [ "$(id -u)" -eq 0 ]; then
  read_only() { chattr +i "$app"; }
  writable() { chattr -i "$app" 2>/dev/null || true; }
else
  read_only() { chmod a-w "$app"; }
  writable() { chmod u+w "$app" 2>/dev/null || true; }
fi
at_exit+=(writable)
if read_only; then
  start "$D\\報告書 最終版.txt"
  drive wait click ChkTime >/dev/null
  timeout 120 wine "$tools/closebox.exe" "$(win "$work/box.txt")" >/dev/null 2>&1 &
  boxes=$!
  drive close gone >/dev/null
  box_status=0
  wait "$boxes" || box_status=$?
  finish_run
  writable
  check "read-only folder: the message came" test "$box_status" -eq 0
  check "read-only folder: the message" grep -qF '設定を保存できませんでした。' "$work/box.txt"
  check "read-only folder: the file's path" grep -qF "$(win "$app")\\Tolvane.ini" "$work/box.txt"
  check "read-only folder: the program ended after one box" test "$status" -eq 0
  same_bytes "read-only folder: the old file kept" "$work/settings.before" "$settings_file"
else
  fail "read-only folder: the folder could not be made read-only"
fi

# A missing path among 200: the message lists the first 20 and counts the rest.
settings
paths=()
for i in $(seq -w 1 200); do
  [ "$i" = 150 ] || printf 'x' >"$d/f$i.txt"
  paths+=("$D\\f$i.txt")
done
start "${paths[@]}"
timeout 120 wine "$tools/closebox.exe" "$(win "$work/box.txt")" >/dev/null 2>&1
check "missing path among 200: the message came" test $? -eq 0
finish_run
tr -d '\r' <"$work/box.txt" >"$work/box.lf"
check "missing path among 200: the 20th path" grep -qF "$D\\f020.txt" "$work/box.lf"
check "missing path among 200: not the 21st" bash -c '! grep -qF "$1" "$2"' _ "$D\\f021.txt" "$work/box.lf"
check "missing path among 200: the rest counted" grep -qF 'ほか 180 件' "$work/box.lf"
check "missing path among 200: exit status 0" test "$status" -eq 0

report
