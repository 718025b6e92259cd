#!/usr/bin/env bash
# The roads at start under Wine: the missing-path message (closed with its OK button as
# a user would), Shift or Ctrl held for the quick presets (which never touch the
# settings file), Shift and Ctrl together forcing the window, and a second instance.
source "$(dirname "$0")/lib/common.bash"

d="$work/起動 テスト"
mkdir -p "$d/フォルダ"
printf 'x' >"$d/b.txt"
printf 'x' >"$d/A 1.txt"
D=$(win "$d")

# A missing path: the message box titled "Kirramo" with OK only and no icon; the run
# stops there and the lines before it reach the clipboard.
settings
start "$D\\b.txt" "$D\\無いファイル.txt" "$D\\A 1.txt"
timeout 120 wine "$tools/closebox.exe" "$(win "$work/box.txt")" >/dev/null 2>&1
check "missing path: a message box came" test $? -eq 0
finish_run
check "missing path: exit status 0" test "$status" -eq 0
printf '%s\t%s\t%s\n' "$(printf '\r\n正しく取得できません。\r\n選択が多すぎるか長すぎます。%s\r\n%s\r\n%s' \
  "$D\\b.txt" "$D\\無いファイル.txt" "$D\\A 1.txt")" OK noicon >"$work/expected"
same_bytes "missing path: the message, OK only, no icon" "$work/expected" "$work/box.txt"
expect_clip "missing path: the earlier line" '%s' "$D\\b.txt"

# Shift alone: the long names, whatever the settings say; the file is not read or
# written (a prefix in it would show).
settings 'GPrefix=前' GUpper=True GFolder=True
cp "$settings_file" "$work/settings.before"
holding shift "$D\\b.txt" "$D\\フォルダ" "$D\\A 1.txt"
check "Shift: exit status 0" test "$status" -eq 0
expect_clip "Shift: names" '%s\r\n%s\r\n%s\r\n' "A 1.txt" "b.txt" "フォルダ"
same_bytes "Shift: settings file untouched" "$work/settings.before" "$settings_file"

# Ctrl alone: the long paths; a selected folder is one line like a file.
holding ctrl "$D\\b.txt" "$D\\フォルダ"
expect_clip "Ctrl: paths" '%s\r\n%s\r\n' "$D\\b.txt" "$D\\フォルダ"
same_bytes "Ctrl: settings file untouched" "$work/settings.before" "$settings_file"
no_settings
holding ctrl "$D\\b.txt"
check "Ctrl: no settings file made" test ! -e "$settings_file"

# Shift and Ctrl: the window, although GMenu is on, showing the stored options.
settings GMenu=True GName=True
cp "$settings_file" "$work/settings.before"
(holding both "$D\\b.txt") &
holder=$!
timeout 120 wine "$tools/drive.exe" wait state ChkMenu state ChkName >"$work/state" 2>/dev/null
check "Shift and Ctrl: the window is shown" test $? -eq 0
check "Shift and Ctrl: stored GMenu shown" grep -q '^ChkMenu checked=1 enabled=1' "$work/state"
check "Shift and Ctrl: stored GName shown" grep -q '^ChkName checked=1 enabled=1' "$work/state"

# A second start while the window is open ends at once and touches nothing.
settings_snapshot=$(od -An -tx1 "$settings_file")
run "$D\\A 1.txt"
check "second instance: exit status 0" test "$status" -eq 0
timeout 60 wine "$tools/drive.exe" state ChkMenu >/dev/null 2>&1
check "second instance: the first window stays" test $? -eq 0
check "second instance: settings untouched" test "$settings_snapshot" = "$(od -An -tx1 "$settings_file")"

# Esc on the window: nothing saved.
timeout 60 wine "$tools/drive.exe" key esc gone >/dev/null 2>&1
check "Esc closes the window" test $? -eq 0
wait "$holder"
same_bytes "Esc: settings file unchanged" "$work/settings.before" "$settings_file"

report
