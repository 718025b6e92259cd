#!/usr/bin/env bash
# Faults as a user or a script meets them, the program started as a shell or another
# program would start it: each case is one small function below, listed in `cases` at
# the end. Every start of the program runs under a time limit and a cap on its address
# space (`limited`), so a regression fails here instead of hanging or eating the machine.
source "$(dirname "$0")/lib/common.bash"

# limited SECONDS COMMAND...: the command under a time limit and a 1 GiB cap on the
# address space of it and everything it starts.
limited() {
  local seconds=$1
  shift
  timeout -k 5 "$seconds" prlimit --as=$((1 << 30)) -- "$@"
}

# run_plain ARGS...: the program without any display, under the limits; output in
# $work/out, errors in $work/err, exit status in $status.
run_plain() {
  status=0
  limited 60 env -u DISPLAY -u WAYLAND_DISPLAY "$KIRRAMO_BIN" "$@" >"$work/out" 2>"$work/err" || status=$?
}

lock_file="$XDG_RUNTIME_DIR/kirramo.lock"
d="$work/障害 テスト"
mkdir -p "$d"
printf 'x' >"$d/a.txt"
printf 'x' >"$d/b.txt"
settings

# A standard descriptor that the caller closed is opened on /dev/null before anything
# else: the lock file no longer takes the number of standard output and the text with
# it.
closed_descriptors() {
  rm -f "$lock_file"
  status=0
  limited 60 env -u DISPLAY -u WAYLAND_DISPLAY "$KIRRAMO_BIN" "$d/a.txt" >&- 2>"$work/err" || status=$?
  check "closed output: the lock file stays empty" test ! -s "$lock_file"

  rm -f "$lock_file"
  status=0
  limited 60 env -u DISPLAY -u WAYLAND_DISPLAY "$KIRRAMO_BIN" "$d/a.txt" "$d/b.txt" <&- 2>&- >"$work/out" || status=$?
  expect_file "closed input and error: the text on standard output" "$work/out" '%s\r\n%s\r\n' "$d/a.txt" "$d/b.txt"
  check "closed input and error: status 0" test "$status" -eq 0
  check "closed input and error: the lock file stays empty" test ! -s "$lock_file"
}

cases=(closed_descriptors)

for c in "${cases[@]}"; do "$c"; done

report
