#!/usr/bin/env bash
# The settings window of kirramo.exe driven with messages, as the mouse and keys would
# drive it (drive.exe: BM_CLICK on its controls, text typed into its boxes, Enter, Esc,
# the close box), with the settings file checked byte for byte afterwards.
source "$(dirname "$0")/lib/common.bash"

d="$work/窓 テスト"
mkdir -p "$d/sub"
printf 'x' >"$d/b.txt"
printf 'x' >"$d/A 1.txt"
D=$(win "$d")
drive() {
  timeout 120 wine "$tools/drive.exe" "$@" >"$work/drive.out" 2>/dev/null
  tr -d '\r' <"$work/drive.out"
}

# saved KEY=VALUE...: the settings file that the program should have written, in cp932.
saved() { settings_lines "$@" | iconv -f UTF-8 -t CP932 >"$work/expected"; }
designed_set='*.*|*.bat|*.bmp|*.dll|*.exe|*.gif|*.htm|*.html|*.jpg|*.log|*.tmp|*.txt'

# No settings file, Enter: the designed options run (long paths) and are saved.
no_settings
start "$D\\sub" "$D\\b.txt" "$D\\A 1.txt"
drive wait dump >"$work/dump"
check "no settings: the window is shown" grep -q '^OptLong checked=1 enabled=1' "$work/dump"
check "designed: the pattern box disabled with *.*" grep -qx 'CboPattern checked=0 enabled=0 text=\*\.\*' "$work/dump"
check "designed: the unit label" grep -qx 'LblUnit checked=0 enabled=1 text=なし' "$work/dump"
check "designed: the Get button" grep -qx 'CmdGet checked=0 enabled=1 text=取　得' "$work/dump"
drive key enter gone
finish_run
check "Enter: exit status 0" test "$status" -eq 0
expect_clip "Enter: long paths" '%s\r\n%s\r\n%s\r\n' "$D\\A 1.txt" "$D\\b.txt" "$D\\sub"
saved "GFPatternSet=$designed_set" GMenu=False
same_bytes "Enter: the settings file of 22 lines" "$work/expected" "$settings_file"

# Clicks on the controls, typed texts and unit clicks, then Get: each control stored.
no_settings
start "$D\\b.txt"
drive wait click OptShot click ChkUpper click ChkBackword click ChkName click ChkTime click ChkUnc \
  click ChkRepYen click ChkRepSP click Chk1Frtn text TxtPrefix '「前 ' text TxtSuffix ' 後」' \
  click ChkExt click ChkSize click LblUnit click LblUnit click ChkFolder text CboPattern '*.ｔｘｔ' click ChkSub \
  click ChkMenu state ChkBackword state CboPattern >"$work/state"
check "ChkName disables ChkBackword, its check stays" grep -qx 'ChkBackword checked=1 enabled=0 text=選択フォルダ以後の文字列のみ取得' "$work/state"
check "ChkFolder enables the pattern box" grep -qx 'CboPattern checked=0 enabled=1 text=\*.ｔｘｔ' "$work/state"
drive click CmdGet gone
finish_run
chosen=(GLong=False GUpper=True GName=True GExt=True GFolder=True 'GFPattern=*.ｔｘｔ' "GFPatternSet=$designed_set"
  GSub=True GTime=True GUnc=True GSize=True GRepYen=True GRepSP=True G1Frtn=True GMenu=True
  'GPrefix=「前 ' 'GSuffix= 後」')
saved "${chosen[@]}" GUnit=2
same_bytes "Get: every control stored" "$work/expected" "$settings_file"

# The stored settings shown again (GMenu on, so Shift and Ctrl force the window); the
# tree boxes exclude each other and disable what does not apply to a tree; the close
# box saves the options as they were loaded, with the unit as the label's clicks left it.
(holding both "$D\\b.txt") &
holder=$!
drive wait state OptShot state ChkMenu state LblUnit click ChkTreeP click ChkTreeF \
  state ChkTreeP state ChkName state ChkDir state ChkUpper state TxtPrefix click ChkTreeF \
  click LblUnit click LblUnit click LblUnit state LblUnit state ChkName >"$work/state"
check "loaded: OptShot selected" grep -q '^OptShot checked=1' "$work/state"
check "loaded: ChkMenu checked" grep -q '^ChkMenu checked=1' "$work/state"
check "loaded: unit KB" grep -q '^LblUnit checked=0 enabled=1 text=KB$' "$work/state"
check "ChkTreeF unchecks ChkTreeP" grep -q '^ChkTreeP checked=0' "$work/state"
check "a tree disables ChkName" grep -q '^ChkName checked=1 enabled=0' "$work/state"
check "a tree disables ChkDir" grep -q '^ChkDir checked=0 enabled=0' "$work/state"
check "a tree leaves ChkUpper usable" grep -q '^ChkUpper checked=1 enabled=1' "$work/state"
check "a tree leaves the prefix usable" grep -q '^TxtPrefix checked=0 enabled=1' "$work/state"
check "unit steps KB, MB, なし, byte" grep -q '^LblUnit checked=0 enabled=1 text=byte$' "$work/state"
check "no tree: ChkName usable again" grep -q '^ChkName checked=1 enabled=1' "$work/state"
drive close gone
wait "$holder"
saved "${chosen[@]}" GUnit=1
same_bytes "close box: the loaded options saved, with the unit" "$work/expected" "$settings_file"

# Esc: nothing runs and nothing is saved.
cp "$settings_file" "$work/settings.before"
(holding both "$D\\b.txt") &
holder=$!
drive wait click ChkTime text TxtPrefix 'x' key esc gone
wait "$holder"
same_bytes "Esc: the settings file unchanged" "$work/settings.before" "$settings_file"

# A pattern chosen from the list, then Enter.
settings GMenu=False GFolder=True "GFPatternSet=$designed_set"
start "$D"
drive wait pick CboPattern 3 key enter gone
finish_run
check "picked pattern: the folder's *.dll files (none)" test "$status" -eq 0
check "picked pattern stored" grep -qx $'GFPattern=\\*\\.dll\r' "$settings_file"

# Get with a missing path: the run's message box over the window; once it is closed
# the run ends, the window closes and the options are saved.
no_settings
start "$D\\無い.txt"
drive wait click ChkTime key enter >/dev/null
timeout 120 wine "$tools/closebox.exe" "$(win "$work/box.txt")" >/dev/null 2>&1
check "Get with a missing path: the message came" test $? -eq 0
drive gone >/dev/null
finish_run
check "Get with a missing path: the window closed" test "$status" -eq 0
check "Get with a missing path: the options saved" grep -qx $'GTime=True\r' "$settings_file"

# A disabled control takes no click: with ChkDir checked the file frame is disabled.
settings GMenu=False
start "$D\\b.txt"
drive wait click ChkDir click ChkFolder click LblUnit state ChkFolder state LblUnit key enter gone >"$work/state"
finish_run
check "disabled ChkFolder takes no click" grep -q '^ChkFolder checked=0 enabled=0' "$work/state"
check "disabled unit label takes no click" grep -q '^LblUnit checked=0 enabled=0 text=なし$' "$work/state"
expect_clip "ChkDir on a file: its long path" '%s' "$D\\b.txt"

# Placement near the pointer, moved there before the start: the window's outer corner
# at the pointer less 1700 and 6460 twips (15 twips a pixel here), held back within
# the work area less 4120 and 7200 twips.
settings GMenu=False
px() { echo $(((($1) * 2 + 15) / 30)); } # twips to pixels, rounded
read -r sx sy sw sh < <(drive screen)
# placed X Y: starts the program with the pointer at (X, Y); the window's corner in $corner.
placed() {
  drive pointer "$1" "$2"
  start "$D\\b.txt"
  corner=$(drive wait rect key esc gone | cut -d' ' -f1-2)
  finish_run
}
placed $((sx + 400)) $((sy + 500))
check "placed near the pointer" test "$corner" = \
  "$((sx + $(px "400 * 15 - 1700"))) $((sy + $(px "500 * 15 - 6460")))"
placed $((sx + sw - 2)) $((sy + sh - 2))
check "held back at the right and bottom" test "$corner" = \
  "$((sx + $(px "sw * 15 - 4120"))) $((sy + $(px "sh * 15 - 7200")))"
placed $((sx + 10)) $((sy + 10))
check "held at the top-left corner" test "$corner" = "$sx $sy"

report
