#!/usr/bin/env bash
# The Linux program's options, without any display (the text on standard output):
# --names and --paths run the quick presets whatever the stored settings say, --window
# takes the window's road (with a note where a display is named that does not answer),
# --help and --version answer and end, "--" ends the options,
# and an option not understood ends with status 4 and a message, touching nothing.
# Every run under a time limit (run_text).
source "$(dirname "$0")/lib/common.bash"

d="$work/選択 2024"
mkdir -p "$d/フォルダ"
printf 'x' >"$d/b.txt"
printf 'x' >"$d/-名前.txt"

# Stored settings that would change every line; the quick presets neither apply nor
# write them.
settings GUpper=True 'GPrefix=<' GFolder=True
cp "$settings_file" "$work/stored"

run_text --names "$d/フォルダ" "$d/b.txt"
check "--names: status 0" test "$status" -eq 0
expect_file "--names: the names" "$work/out" '%s\r\n%s\r\n' b.txt フォルダ
check "--names: nothing on standard error" test ! -s "$work/err"
check "--names: settings file unchanged" cmp -s "$work/stored" "$settings_file"

run_text "$d/b.txt" --paths "$d/フォルダ"
check "--paths after a path: status 0" test "$status" -eq 0
expect_file "--paths: the full paths" "$work/out" '%s\r\n%s\r\n' "$d/b.txt" "$d/フォルダ"
check "--paths: settings file unchanged" cmp -s "$work/stored" "$settings_file"

# --window without a display: the run the window would start, with the stored
# settings (here upper case and the prefix), saving nothing.
run_text --window "$d/b.txt"
check "--window without a display: status 0" test "$status" -eq 0
expect_file "--window without a display: the window's run" "$work/out" '<%s' "${d^^}/B.TXT"
check "--window: settings file unchanged" cmp -s "$work/stored" "$settings_file"
# ... and on a display that does not answer: a note says why no window came, then the
# same run, its text on standard output with a note of its own.
status=0
env -u WAYLAND_DISPLAY DISPLAY=:8123 timeout 120 "$KIRRAMO_BIN" --window "$d/b.txt" >"$work/out" 2>"$work/err" ||
  status=$?
check "--window on a display that does not answer: status 0" test "$status" -eq 0
expect_file "--window on a display that does not answer: the window's run" "$work/out" '<%s' "${d^^}/B.TXT"
expect_file "--window on a display that does not answer: the notes" "$work/err" '%s\n%s\n' \
  'ディスプレイ「:8123」に接続できません。設定ウィンドウを開けないため、今の設定のまま実行します。' \
  'ディスプレイ「:8123」に接続できません。クリップボードの代わりに標準出力へ書き出しました。'

# "--" ends the options: a relative name that starts with "-", and "--names" as a
# name, are paths (the second one missing: status 1).
status=0
env -C "$d" -u DISPLAY -u WAYLAND_DISPLAY timeout 120 "$KIRRAMO_BIN" --paths -- -名前.txt \
  >"$work/out" 2>"$work/err" || status=$?
check "--: status 0" test "$status" -eq 0
expect_file "--: a name with \"-\" taken against the working folder" "$work/out" '%s' "$d/-名前.txt"
run_text --names -- "$d/b.txt" --names
check "-- then a missing \"--names\": status 1" test "$status" -eq 1
check "-- then \"--names\": named as a missing path" grep -q -- '--names' "$work/err"

run_text --help "$d/b.txt"
check "--help: status 0" test "$status" -eq 0
check "--help: the usage on standard output" grep -q '^使い方: kirramo' "$work/out"
check "--help: every option named" sh -c "for o in --names --paths --window --help --version; do grep -q -- \"\$o \" '$work/out' || exit 1; done"
check "--help: nothing on standard error" test ! -s "$work/err"
check "--help: settings file unchanged" cmp -s "$work/stored" "$settings_file"

run_text --version
check "--version: status 0" test "$status" -eq 0
check "--version: one line" grep -qxE 'kirramo [0-9]+\.[0-9]+\.[0-9]+' "$work/out"

# Standard output closed: --help cannot be written (status 2).
status=0
env -u DISPLAY -u WAYLAND_DISPLAY timeout 120 "$KIRRAMO_BIN" --help >&- 2>"$work/err" || status=$?
check "--help to a closed standard output: status 2" test "$status" -eq 2

for wrong in --bogus -x - --names=1 "--names --paths"; do
  # shellcheck disable=SC2086
  run_text $wrong "$d/b.txt"
  check "$wrong: status 4" test "$status" -eq 4
  check "$wrong: nothing on standard output" test ! -s "$work/out"
  check "$wrong: a message on standard error" grep -q 'kirramo --help' "$work/err"
  check "$wrong: settings file unchanged" cmp -s "$work/stored" "$settings_file"
done
check "wrong option: the message names it" grep -q -- '--names.*--paths' "$work/err"

report
