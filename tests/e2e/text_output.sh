#!/usr/bin/env bash
# The program without any display: the text goes to standard output and messages to
# standard error. Checks the exact bytes: CR LF, sorting, the final line break, the
# missing-path message, the date-time and size columns, the folder and tree listings.
source "$(dirname "$0")/lib/common.bash"

d="$work/資料 2024"
mkdir -p "$d/サブ フォルダ/.隠しフォルダ" "$d/空のフォルダ"
printf 'a' >"$d/A.txt"
printf 'bb' >"$d/b.txt"
printf 'x' >"$d/報告書 最終.txt"
printf 'h' >"$d/.隠し.txt"
head -c 1572864 /dev/zero >"$d/サブ フォルダ/大きい.bin"
printf 'c' >"$d/サブ フォルダ/.隠しフォルダ/中.txt"
# Known write times (UTC); the file column shows them at +9 hours.
touch -d '2024-03-05 01:02:03 UTC' "$d/A.txt"
touch -d '2023-12-31 20:00:00 UTC' "$d/b.txt"
touch -d '2024-07-16 00:00:00 UTC' "$d/報告書 最終.txt" "$d/サブ フォルダ/大きい.bin" \
  "$d/サブ フォルダ/.隠しフォルダ/中.txt"

# No settings file: the designed values (long paths). Lines sorted without regard to
# case, joined and ended by CR LF; a single line has no line break.
no_settings
run_text "$d/b.txt" "$d/報告書 最終.txt" "$d/A.txt"
expect_file "three files, sorted, CR LF" "$work/out" '%s\r\n%s\r\n%s\r\n' \
  "$d/A.txt" "$d/b.txt" "$d/報告書 最終.txt"
check "three files: nothing on standard error" test ! -s "$work/err"
check "three files: exit status 0" test "$status" -eq 0

run_text "$d/報告書 最終.txt"
expect_file "one file, no line break" "$work/out" '%s' "$d/報告書 最終.txt"

run_text
expect_file "no path: empty text" "$work/out" ''
check "no path: exit status 0" test "$status" -eq 0

# A missing path stops the run: the message on standard error, the earlier lines on
# standard output, exit status 1.
run_text "$d/b.txt" "$d/無いファイル.txt" "$d/A.txt"
expect_file "missing path: earlier line only" "$work/out" '%s' "$d/b.txt"
expect_file "missing path: the message" "$work/err" \
  '\r\n正しく取得できません。\r\n選択が多すぎるか長すぎます。%s\r\n%s\r\n%s\n' \
  "$d/b.txt" "$d/無いファイル.txt" "$d/A.txt"
check "missing path: exit status 1" test "$status" -eq 1

# A final line break after a single line, names only, upper case and blanks as %20.
settings G1Frtn=True GName=True GUpper=True GRepSP=True
run_text "$d/報告書 最終.txt" "$d/b.txt"
expect_file "names, upper case, %%20, final CR LF" "$work/out" 'B.TXT\r\n報告書%%20最終.TXT\r\n'
run_text
expect_file "no path with G1Frtn: one CR LF" "$work/out" '\r\n'

# Prefix, suffix and the two columns on selected files: TAB, the time as
# yyyy/mm/dd hh:nn:ss, the size grouped by ",".
settings GTime=True GSize=True GUnit=1 'GPrefix=<' 'GSuffix=>'
run_text "$d/A.txt" "$d/b.txt"
expect_file "time and size columns" "$work/out" '<%s>\t2024/03/05 10:02:03\t1byte\r\n<%s>\t2024/01/01 05:00:00\t2byte\r\n' \
  "$d/A.txt" "$d/b.txt"

# The files of a folder and of every folder below it (hidden folders included, dot
# files left out), with both columns; subfolders themselves are not listed.
settings GFolder=True GSub=True GTime=True GSize=True GUnit=2
run_text "$d"
expect_file "folder files with columns" "$work/out" \
  '%s\t2024/03/05 10:02:03\t0KB\r\n%s\t2024/01/01 05:00:00\t0KB\r\n%s\t2024/07/16 09:00:00\t0KB\r\n%s\t2024/07/16 09:00:00\t1,536KB\r\n%s\t2024/07/16 09:00:00\t0KB\r\n' \
  "$d/A.txt" "$d/b.txt" "$d/サブ フォルダ/.隠しフォルダ/中.txt" "$d/サブ フォルダ/大きい.bin" \
  "$d/報告書 最終.txt"
# Each column's shape, whatever the sort: path, TAB, date-time, TAB, digits with ",".
column_shape() {
  ! sed 's/\r$//' "$work/out" |
    grep -Evq $'^[^\t]+\t[0-9]{4}/[0-9]{2}/[0-9]{2} [0-9]{2}:[0-9]{2}:[0-9]{2}\t[0-9]{1,3}(,[0-9]{3})*KB$'
}
check "folder files: every line has the column shape" column_shape

# Pattern and GSub off: only the folder's own matching files.
settings GFolder=True 'GFPattern=*.TXT'
run_text "$d"
expect_file "folder files by pattern, no subfolders" "$work/out" '%s\r\n%s\r\n%s\r\n' \
  "$d/A.txt" "$d/b.txt" "$d/報告書 最終.txt"

# Subfolder names at every depth, hidden ones included.
settings GDir=True GBackword=True
run_text "$d"
expect_file "subfolder names below the selection" "$work/out" '%s\r\n%s\r\n%s\r\n' \
  "資料 2024/サブ フォルダ" "資料 2024/サブ フォルダ/.隠しフォルダ" "資料 2024/空のフォルダ"

# The tree listing with files: the folder, then the drawing; not sorted; a line break
# after the last line.
settings GTreeF=True
run_text "$d/サブ フォルダ"
expect_file "tree with files" "$work/out" '%s\r\n%s\r\n%s\r\n%s\r\n%s\r\n%s\r\n\r\n' \
  "$d/サブ フォルダ" "│  大きい.bin" "│  " "└─.隠しフォルダ" "        中.txt" "        "
# A file selected before the tree keeps its line, and the listing follows it.
settings GTreeP=True
run_text "$d/A.txt" "$d"
expect_file "file line then folder tree" "$work/out" '%s\r\n%s\r\n%s\r\n%s\r\n%s\r\n\r\n' \
  "$d/A.txt" "$d" "├─サブ フォルダ" "│  └─.隠しフォルダ" "└─空のフォルダ"

report
