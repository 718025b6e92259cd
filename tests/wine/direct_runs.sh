#!/usr/bin/env bash
# Direct runs of kirramo.exe (GMenu on in a cp932 settings file beside it): every family
# of options, checked on the clipboard's CF_UNICODETEXT and CF_TEXT bytes. A direct run
# leaves the settings file as it was.
source "$(dirname "$0")/lib/common.bash"

d="$work/資料 2024"
mkdir -p "$d/サブ フォルダ/孫" "$d/空のフォルダ"
printf 'a' >"$d/A.txt"
printf 'bb' >"$d/b.txt"
printf 'x' >"$d/報告書 最終.txt"
head -c 1572864 /dev/zero >"$d/サブ フォルダ/大きい.bin"
printf 'c' >"$d/サブ フォルダ/孫/中.txt"
printf 'l' >"$d/サブ フォルダ/記録.log"
touch -d '2024-03-05 01:02:03 UTC' "$d/A.txt"
touch -d '2023-12-31 20:00:00 UTC' "$d/b.txt"
touch -d '2024-07-16 00:00:00 UTC' "$d/報告書 最終.txt" "$d/サブ フォルダ/大きい.bin"
D=$(win "$d")

# The long paths, sorted without regard to case, CR LF after each of several lines.
settings
cp "$settings_file" "$work/settings.before"
run "$D\\b.txt" "$D\\報告書 最終.txt" "$D\\A.txt"
check "long paths: exit status 0" test "$status" -eq 0
expect_clip "long paths" '%s\r\n%s\r\n%s\r\n' "$D\\A.txt" "$D\\b.txt" "$D\\報告書 最終.txt"
same_bytes "a direct run leaves the settings file alone" "$work/settings.before" "$settings_file"

# One line: no line break, unless G1Frtn.
run "$D\\報告書 最終.txt"
expect_clip "one path, no line break" '%s' "$D\\報告書 最終.txt"
settings G1Frtn=True
run "$D\\報告書 最終.txt"
expect_clip "one path with G1Frtn" '%s\r\n' "$D\\報告書 最終.txt"

# Japanese prefix and suffix from the cp932 file, names only, no extension.
settings 'GPrefix=「ファイル：' 'GSuffix=」 様' GName=True
run "$D\\A.txt" "$D\\報告書 最終.txt"
expect_clip "Japanese prefix and suffix, names" '%s\r\n%s\r\n' "「ファイル：A.txt」 様" "「ファイル：報告書 最終.txt」 様"
settings GName=True GExt=True
run "$D\\A.txt" "$D\\報告書 最終.txt" "$D\\サブ フォルダ"
expect_clip "names without extension" '%s\r\n%s\r\n%s\r\n' A "サブ フォルダ" "報告書 最終"

# Upper case, "\" to "/", blanks to %20.
settings GUpper=True GRepYen=True GRepSP=True
run "$D\\報告書 最終.txt"
up=$(printf '%s' "$D" | tr 'a-z\\' 'A-Z/')
expect_clip "upper case, slashes, %%20" '%s' "${up// /%20}/報告書%20最終.TXT"

# Time and size columns: the file time at +9 hours, the size in each unit.
settings GTime=True GSize=True GUnit=1
run "$D\\A.txt" "$D\\b.txt"
expect_clip "time and size in bytes" '%s\t%s\t%s\r\n%s\t%s\t%s\r\n' \
  "$D\\A.txt" "2024/03/05 10:02:03" "1byte" "$D\\b.txt" "2024/01/01 05:00:00" "2byte"
settings GSize=True GUnit=2
run "$D\\サブ フォルダ\\大きい.bin"
expect_clip "size in KB" '%s\t%s' "$D\\サブ フォルダ\\大きい.bin" "1,536KB"
settings GSize=True GUnit=3 GName=True
run "$D\\サブ フォルダ\\大きい.bin"
expect_clip "size in MB, rounded" '%s\t%s' "大きい.bin" "2MB"

# Only the part below the folder that holds the selection. Kanji sort in the order of
# the Japanese locale (記 before 孫 before 大), not by code point.
settings GBackword=True GFolder=True GSub=True
run "$D"
r="資料 2024"
expect_clip "files below the folder, relative" '%s\r\n%s\r\n%s\r\n%s\r\n%s\r\n%s\r\n' \
  "$r\\A.txt" "$r\\b.txt" "$r\\サブ フォルダ\\記録.log" "$r\\サブ フォルダ\\孫\\中.txt" \
  "$r\\サブ フォルダ\\大きい.bin" "$r\\報告書 最終.txt"

# The files of a folder matching a pattern, without and with subfolders.
settings GFolder=True 'GFPattern=*.txt'
run "$D"
expect_clip "pattern files of the folder" '%s\r\n%s\r\n%s\r\n' "$D\\A.txt" "$D\\b.txt" "$D\\報告書 最終.txt"
settings GFolder=True 'GFPattern=*.log' GSub=True
run "$D"
expect_clip "pattern files through subfolders" '%s' "$D\\サブ フォルダ\\記録.log"

# The subfolders of a folder, all the way down.
settings GDir=True
run "$D"
expect_clip "subfolders" '%s\r\n%s\r\n%s\r\n' "$D\\サブ フォルダ" "$D\\サブ フォルダ\\孫" "$D\\空のフォルダ"

# The short form: every part of the path 8.3 at most, and the same file.
settings GLong=False
run "$D\\報告書 最終.txt"
clip
short=$(iconv -f UTF-16LE -t UTF-8 "$work/clip.u16")
long_of_short=$(winepath -u "$short" 2>/dev/null)
check "short path: names of 8.3 at most" bash -c '[[ "$1" =~ ^Z:(\\[^\\ ]{1,12})+$ ]]' _ "$short"
check "short path: the same file" test "$long_of_short" -ef "$d/報告書 最終.txt"

report
