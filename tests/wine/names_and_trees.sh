#!/usr/bin/env bash
# Names that cp932 cannot hold, a path longer than 260 characters, and tree listings
# through the tree.com stand-in, on the clipboard's CF_UNICODETEXT and CF_TEXT bytes.
source "$(dirname "$0")/lib/common.bash"

d="$work/名前"
mkdir -p "$d"
printf 'k' >"$d/한국어 파일.txt"
printf 'e' >"$d/絵文字😀.txt"
printf 'j' >"$d/日本語ファイル.txt"
D=$(win "$d")

# CF_UNICODETEXT keeps every character; CF_TEXT, in cp932, has "?" for those it lacks.
settings GName=True
run "$D\\日本語ファイル.txt" "$D\\한국어 파일.txt" "$D\\絵文字😀.txt"
check "names outside cp932: exit status 0" test "$status" -eq 0
clip
# Kanji in the order of the Japanese locale (絵 before 日), Hangul after them.
printf '%s\r\n%s\r\n%s\r\n' "絵文字😀.txt" "日本語ファイル.txt" "한국어 파일.txt" | iconv -f UTF-8 -t UTF-16LE >"$work/expected"
same_bytes "Japanese, Korean and emoji names in CF_UNICODETEXT" "$work/expected" "$work/clip.u16"
# An emoji is one character but two UTF-16 units: one or two "?" are both sound
# stand-ins, so CF_TEXT is checked line by line.
check "Japanese name in CF_TEXT (cp932)" grep -qxF "$(printf '%s\r' "日本語ファイル.txt" | iconv -f UTF-8 -t CP932)" "$work/clip.ansi"
check "emoji name in CF_TEXT" grep -qE "^$(printf '%s' "絵文字" | iconv -f UTF-8 -t CP932)\?{1,2}\.txt"$'\r$' "$work/clip.ansi"
check "Korean name in CF_TEXT" grep -qE '^\?+ \?+\.txt'$'\r$' "$work/clip.ansi"
check "CF_TEXT: three lines, CR LF" test "$(grep -c $'\r$' "$work/clip.ansi")" -eq 3

# A path of more than 260 characters.
long="$work/長いパス"
part="フォルダ名をとても長くしたフォルダ名をとても長くしたフォルダ名をとても長くした"
p="$long"
for _ in 1 2 3 4 5 6 7; do p="$p/$part"; done
mkdir -p "$p"
printf 'l' >"$p/最後のファイル.txt"
L=$(win "$p/最後のファイル.txt")
check "the long path has more than 260 characters" test "${#L}" -gt 260
settings
run "$L"
expect_clip "a path longer than 260 characters" '%s' "$L"
settings GSize=True GUnit=1 GTime=True
touch -d '2024-01-02 03:04:05 UTC' "$p/最後のファイル.txt"
run "$L"
expect_clip "a long path with size and time" '%s\t%s\t%s' "$L" "2024/01/02 12:04:05" "1byte"

# Tree listings through the system's tree command, of a folder whose name the command
# interpreter would otherwise take apart.
t="$work/木/a&b %PATH% (x) ^!"
mkdir -p "$t/フォルダ1/下" "$t/フォルダ2"
printf 'f' >"$t/ファイル.txt"
printf 'g' >"$t/フォルダ1/中.txt"
T=$(win "$t")
TU=$(printf '%s' "$T" | tr 'a-z' 'A-Z')
settings GTreeP=True
run "$T"
# The listing is not sorted, and a line break follows its last line.
expect_clip "tree of folders" '%s\r\n%s\r\n%s\r\n%s\r\n\r\n' "$TU" "├─フォルダ1" "│  └─下" "└─フォルダ2"
settings GTreeF=True
run "$T"
expect_clip "tree with files" '%s\r\n%s\r\n%s\r\n%s\r\n%s\r\n%s\r\n%s\r\n%s\r\n\r\n' "$TU" "│  ファイル.txt" "│  " \
  "├─フォルダ1" "│  │  中.txt" "│  │  " "│  └─下" "└─フォルダ2"
# Upper case and "/" act on tree lines too.
settings GTreeP=True GUpper=True GRepYen=True
mkdir -p "$work/木/空"
run "$(win "$work/木/空")"
E=$(printf '%s' "$(win "$work/木/空")" | tr 'a-z\\' 'A-Z/')
expect_clip "tree of a folder without subfolders" '%s\r\n' "$E"

report
