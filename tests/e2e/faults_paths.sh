#!/usr/bin/env bash
# Paths as a user or a script meets them, each run under a time limit and a cap on the
# address space, so that a walk that runs away fails the check instead of hanging the
# run: a link to "/" inside a selected folder (the walks list it but never enter it),
# a tree deeper than the open-file limit (the tree listing as whole as the folder
# walk), and paths typed with a trailing "/", "//", "./" or "..".
source "$(dirname "$0")/lib/common.bash"

# capped ARGS...: runs the program without a display in the current folder, for 10
# seconds at most and with 512 MiB of address space (and $open_files descriptors when
# set); output, error output and exit status as run_text keeps them.
capped() {
  status=0
  (
    ulimit -v $((512 * 1024))
    if [ -n "${open_files:-}" ]; then ulimit -n "$open_files"; fi
    exec env -u DISPLAY -u WAYLAND_DISPLAY timeout 10 "$KIRRAMO_BIN" "$@"
  ) >"$work/out" 2>"$work/err" || status=$?
}

# A link to "/" beside a file and a subfolder: listed, never entered.
d="$work/選択"
mkdir -p "$d/sub"
printf 'a' >"$d/a.txt"
printf 'b' >"$d/sub/b.txt"
ln -s / "$d/root"
settings GDir=True
capped "$d"
check "link to /, GDir: status 0" test "$status" -eq 0
expect_file "link to /, GDir: the link and the subfolder" "$work/out" '%s\r\n%s\r\n' "$d/root" "$d/sub"
settings GFolder=True GSub=True
capped "$d"
check "link to /, GFolder+GSub: status 0" test "$status" -eq 0
expect_file "link to /, GFolder+GSub: the files of the folder and its subfolder" "$work/out" \
  '%s\r\n%s\r\n' "$d/a.txt" "$d/sub/b.txt"
settings GTreeF=True
capped "$d"
check "link to /, GTreeF: status 0" test "$status" -eq 0
expect_file "link to /, GTreeF: the link as a folder, not entered" "$work/out" \
  '%s\r\n%s\r\n%s\r\n%s\r\n%s\r\n%s\r\n%s\r\n\r\n' \
  "$d" "│  a.txt" "│  " "├─root" "└─sub" "        b.txt" "        "

# 1,500 nested folders under a limit of 64 open files: the tree listings hold as many
# folders as the folder walk finds.
deep="$work/deep"
chain=$deep
for ((i = 0; i < 1500; i++)); do chain+=/d; done
mkdir -p "$chain"
settings GDir=True
open_files=64 capped "$deep"
check "deep tree, GDir: status 0" test "$status" -eq 0
walked=$(grep -c '' "$work/out")
check "deep tree, GDir: every folder ($walked)" test "$walked" -eq 1500
for key in GTreeP GTreeF; do
  settings "$key=True"
  open_files=64 capped "$deep"
  check "deep tree, $key: status 0" test "$status" -eq 0
  drawn=$(grep -c '└─d' "$work/out")
  check "deep tree, $key: as many folders as the walk ($drawn of $walked)" test "$drawn" -eq "$walked"
done

# Typed paths, as shell completion and scripts give them: made plain by their text
# before any form is made.
mkdir -p "$work/typed/A/sub1"
printf 'x' >"$work/typed/A/a.txt"
cd "$work/typed" || exit 1
settings GName=True
capped A/
expect_file "name of DIR/" "$work/out" 'A'
settings GDir=True
capped A/
expect_file "subfolders of A/" "$work/out" '%s' "$work/typed/A/sub1"
capped ./A//
expect_file "subfolders of ./A//" "$work/out" '%s' "$work/typed/A/sub1"
settings
capped ./A/a.txt
expect_file "path of ./A/a.txt" "$work/out" '%s' "$work/typed/A/a.txt"
capped A/sub1/../a.txt
expect_file "path of A/sub1/../a.txt" "$work/out" '%s' "$work/typed/A/a.txt"
capped //
expect_file "path of //" "$work/out" '/'
capped /../..
expect_file "path of /../.." "$work/out" '/'
check "typed paths: nothing on standard error" test ! -s "$work/err"

report
