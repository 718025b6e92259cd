#!/usr/bin/env bash
# The release zip, as a user gets it: CPack's "package" target in the Windows build
# folder makes one zip holding one folder "Kirramo" with kirramo.exe, "how to use.txt"
# and the two Send To scripts, nothing else. The texts are Shift-JIS with CR LF and
# say exactly what their UTF-8 sources in data/win say. The scripts then run under
# Wine's cmd from the unpacked folder, whose name holds characters that cmd treats
# specially. Wine has no PowerShell: a stand-in (tests/package/powershell.cpp) takes
# its place and records what the script handed it, so everything but PowerShell's own
# work is tested: the code page, the paths given to PowerShell, its command passed
# through cmd unchanged, and the message and exit status for each outcome.
#
# Run by scripts/wine-test.sh (KIRRAMO_WIN_BUILD and WINEPREFIX exported).
set -u
: "${KIRRAMO_WIN_BUILD:?KIRRAMO_WIN_BUILD must name the Windows build folder}"
: "${WINEPREFIX:?WINEPREFIX must name the Wine prefix}"
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$KIRRAMO_WIN_BUILD

KIRRAMO_CHECKS_NAME=package
# shellcheck source=../lib/checks.bash
. "$root/tests/lib/checks.bash"
# win PATH: the Windows form of a Linux path (drive Z: is the Linux root in Wine).
win() { printf 'Z:%s' "${1//\//\\}"; }

# ---- The zip ----
if ! cmake --build "$build" --target package >"$work/cpack.log" 2>&1; then
  fail "the package target builds the zip"
  tail -n 20 "$work/cpack.log"
  report
  exit
fi
name=$(sed -n 's/^set(CPACK_PACKAGE_FILE_NAME "\(.*\)")$/\1/p' "$build/CPackConfig.cmake")
zip="$build/$name.zip"
check "the zip is made as $name.zip" test -f "$zip"

# The program is in the zip once its Windows entry exists in the sources.
expected=("Kirramo/" "Kirramo/add-to-sendto.cmd" "Kirramo/how to use.txt" "Kirramo/remove-from-sendto.cmd")
has_exe=0
if [ -f "$root/src/startup/main_win32.cpp" ]; then
  has_exe=1
  expected+=("Kirramo/kirramo.exe")
else
  echo "SKIP: kirramo.exe is not built yet (no src/startup/main_win32.cpp); the zip is checked without it"
fi
listing=$(cmake -E tar tf "$zip" | LC_ALL=C sort)
check "the zip holds exactly the folder Kirramo, the program, the usage text and the two scripts" \
  test "$listing" = "$(printf '%s\n' "${expected[@]}" | LC_ALL=C sort)"

# Unpacked where a user might put it: blanks, "&", parentheses, an apostrophe and
# Japanese in the folder name ("%" is left out: Wine's cmd drops it from %~dp0, which
# Windows' cmd does not).
place="$work/展開先 a&b (x) 'q'"
mkdir -p "$place"
(cd "$place" && cmake -E tar xf "$zip")
app="$place/Kirramo"

if [ "$has_exe" = 1 ]; then
  # The zip's program is the one built, stripped of its debugging information: the
  # same code and resources (stripping changes the header's time stamp, so the files
  # as a whole differ).
  tool() { sed -n "s/^CMAKE_$1:FILEPATH=//p" "$build/CMakeCache.txt"; }
  objcopy=$(tool OBJCOPY)
  objdump=$(tool OBJDUMP)
  for s in .text .rdata .rsrc; do
    "$objcopy" -O binary --only-section="$s" "$build/kirramo.exe" "$work/built$s"
    "$objcopy" -O binary --only-section="$s" "$app/kirramo.exe" "$work/zipped$s"
    check "kirramo.exe: the section $s is there" \
      test -s "$work/built$s" -a -s "$work/zipped$s"
    check "kirramo.exe in the zip has the built program's $s" cmp -s "$work/built$s" "$work/zipped$s"
  done
  check "kirramo.exe in the zip has no debugging information" \
    test "$("$objdump" -h "$app/kirramo.exe" | grep -c '\.debug')" = 0
fi

# crlf_only FILE: every line ends with CR LF, the last one too.
crlf_only() {
  [ "$(LC_ALL=C grep -c -v $'\r$' "$1")" = 0 ] && [ "$(tail -c 2 "$1" | od -An -tx1 | tr -d ' ')" = 0d0a ]
}
for f in "how to use.txt" add-to-sendto.cmd remove-from-sendto.cmd; do
  check "$f in the zip is the one beside kirramo.exe in the build folder" cmp -s "$build/$f" "$app/$f"
  check "$f has CR LF line ends only" crlf_only "$app/$f"
  # Decoded as cp932 it is its UTF-8 source exactly: nothing lost or replaced.
  if iconv -f CP932 -t UTF-8 "$app/$f" >"$work/decoded" 2>"$work/iconv.err"; then
    pass
    check "$f decoded as cp932 is its source" cmp -s <(tr -d '\r' <"$work/decoded") "$root/data/win/$f"
  else
    fail "$f decodes as cp932: $(cat "$work/iconv.err")"
  fi
done

# The usage text explains every option of the settings window by its caption, and
# the files, the keys and the settings file that the user meets.
usage=$(iconv -f CP932 -t UTF-8 "$app/how to use.txt" 2>/dev/null)
for text in "長いパス（Windows対応）取得" "短いパス（DOS対応）取得" "ファイル名(対象フォルダ名)のみ取得" \
  "選択フォルダ以後の文字列のみ取得" "できる限り大文字に変換" "ファイル更新(フォルダ作成)日も取得" \
  "ネットワークの場合UNCを取得" "「\\」を「/」に変換して取得" "空白を「%20」に変換して取得" \
  "1ファイル/パスの場合でも最後に改行" "接頭語" "接尾語" "ファイル取得用設定" "ファイル名の拡張子は取得しない" \
  "ファイルサイズも取得(単位)" "フォルダ内のファイルパスを取得" "取得するファイルのパターン" "サブフォルダも対象" \
  "フォルダ取得用設定" "サブフォルダ名を取得" "Tree形式で取得(大文字/UNC/\\/空白変換のみ)" "フォルダ取得" \
  "ファイルまで取得" "メニュー非表示" "取　得" "中止" "Help" \
  "Shift だけ" "Ctrl だけ" "Shift + Ctrl" "送る" "Tolvane.ini" "kirramo.exe" \
  "add-to-sendto.cmd" "remove-from-sendto.cmd" "shell:sendto"; do
  check "the usage text names \"$text\"" grep -qF -- "$text" <<<"$usage"
done

# ---- The Send To scripts under Wine's cmd ----
# Wine puts a stub there that does nothing; it is set aside while the stand-in takes
# its place and comes back at the end.
ps_dir="$WINEPREFIX/drive_c/windows/system32/WindowsPowerShell/v1.0"
standin="$build/package-tools/powershell.exe"
if [ -e "$ps_dir/powershell.exe" ] && ! grep -qa "Wine builtin DLL" "$ps_dir/powershell.exe"; then
  echo "SKIP: the prefix has a PowerShell other than Wine's stub; the scripts are not run"
  report
  exit
fi
mkdir -p "$ps_dir"
if [ -e "$ps_dir/powershell.exe" ]; then
  mv "$ps_dir/powershell.exe" "$work/wine-powershell.exe"
fi
cp "$standin" "$ps_dir/powershell.exe"
remove_standin() { rm -f "$ps_dir/powershell.exe"; }
restore_wine_powershell() {
  remove_standin
  if [ -e "$work/wine-powershell.exe" ]; then mv "$work/wine-powershell.exe" "$ps_dir/powershell.exe"; fi
}
at_exit+=(restore_wine_powershell)

if [ "$has_exe" = 0 ]; then
  # The add script only needs a kirramo.exe beside it to point at.
  cp "$standin" "$app/kirramo.exe"
fi
export KIRRAMO_TEST_RECORD
KIRRAMO_TEST_RECORD=$(win "$work/record.txt")

# run_script FOLDER SCRIPT [EXIT]: runs SCRIPT (a path relative to FOLDER) with cmd
# started in FOLDER, PowerShell ending with EXIT; keeps its exit status in $status,
# its output decoded from cp932 in $work/out.txt, and the stand-in's record (if it ran)
# in $work/record.txt. The final "pause" returns at once: no input.
run_script() {
  rm -f "$work/record.txt"
  (cd "$1" && KIRRAMO_TEST_EXIT=${3:-0} wine cmd /c "$2") </dev/null >"$work/out.raw" 2>&1
  status=$?
  iconv -f CP932 -t UTF-8 "$work/out.raw" >"$work/out.txt" 2>/dev/null || cp "$work/out.raw" "$work/out.txt"
}
said() { grep -qF -- "$1" "$work/out.txt"; }
recorded() { grep -qxF -- "$1" "$work/record.txt"; }
# The PowerShell command as written in a script, after the program's name.
command_in() {
  iconv -f CP932 -t UTF-8 "$app/$1" | tr -d '\r' | sed -n 's/^"%POWERSHELL%" //p'
}

# Started from the folder above, so the script must find kirramo.exe by its own place.
run_script "$place" 'Kirramo\add-to-sendto.cmd'
check "add: succeeds" test "$status" = 0
check "add: says it added Kirramo" said "「送る」メニューに「Kirramo」を追加しました。"
check "add: PowerShell gets the command unchanged through cmd" recorded "args=$(command_in add-to-sendto.cmd)"
check "add: PowerShell gets the path of kirramo.exe beside the script" recorded "exe=$(win "$app/kirramo.exe")"
check "add: PowerShell gets the folder of kirramo.exe" recorded "dir=$(win "$app")\\"
# Both scripts name the same shortcut in the same folder.
for s in add-to-sendto.cmd remove-from-sendto.cmd; do
  check "$s: the shortcut Kirramo.lnk in the SendTo folder" \
    grep -qF "Join-Path ([Environment]::GetFolderPath('SendTo')) 'Kirramo.lnk'" <(command_in "$s")
done

run_script "$app" add-to-sendto.cmd 1
check "add, PowerShell fails: fails" test "$status" = 1
check "add, PowerShell fails: says so" said "「送る」メニューに追加できませんでした。"

# Opened without kirramo.exe beside it, as from inside a zip that was not unpacked.
mkdir -p "$work/zip の中"
cp "$app/add-to-sendto.cmd" "$work/zip の中/"
run_script "$work/zip の中" add-to-sendto.cmd
check "add, no kirramo.exe: fails" test "$status" = 1
check "add, no kirramo.exe: says so" said "kirramo.exe が見つかりません。"
check "add, no kirramo.exe: PowerShell is not started" test ! -e "$work/record.txt"

run_script "$app" remove-from-sendto.cmd 0
check "remove: succeeds" test "$status" = 0
check "remove: says it removed Kirramo" said "「送る」メニューから「Kirramo」を削除しました。"
check "remove: PowerShell gets the command unchanged through cmd" recorded "args=$(command_in remove-from-sendto.cmd)"
run_script "$app" remove-from-sendto.cmd 2
check "remove, no shortcut: succeeds" test "$status" = 0
check "remove, no shortcut: says there was none" said "「送る」メニューに「Kirramo」はありませんでした。"
run_script "$app" remove-from-sendto.cmd 1
check "remove, PowerShell fails: fails" test "$status" = 1
check "remove, PowerShell fails: says so" said "「送る」メニューから削除できませんでした。"

remove_standin
run_script "$app" add-to-sendto.cmd
check "add, no PowerShell: fails" test "$status" = 1
check "add, no PowerShell: says so" said "PowerShell が見つからないため、追加できませんでした。"
run_script "$app" remove-from-sendto.cmd
check "remove, no PowerShell: fails" test "$status" = 1
check "remove, no PowerShell: tells the way by hand" said "shell:sendto"

report
