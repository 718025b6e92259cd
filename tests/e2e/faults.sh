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

# Gone, or ended and waiting to be collected by a parent that never does.
gone() { [ ! -e "/proc/$1" ] || [ "$(awk '{ print $3 }' "/proc/$1/stat" 2>/dev/null)" = Z ]; }

# A standard descriptor that the caller closed is opened on /dev/null before anything
# else: the lock file no longer takes the number of standard output and the text with
# it. A closed standard output cannot take the text: status 2, and the cause is told.
closed_descriptors() {
  rm -f "$lock_file"
  status=0
  limited 60 env -u DISPLAY -u WAYLAND_DISPLAY "$KIRRAMO_BIN" "$d/a.txt" >&- 2>"$work/err" || status=$?
  check "closed output: the lock file stays empty" test ! -s "$lock_file"
  check "closed output: status 2" test "$status" -eq 2
  expect_file "closed output: the cause" "$work/err" '標準出力に書き出せませんでした（Bad file descriptor）。\n'

  rm -f "$lock_file"
  status=0
  limited 60 env -u DISPLAY -u WAYLAND_DISPLAY "$KIRRAMO_BIN" "$d/a.txt" "$d/b.txt" <&- 2>&- >"$work/out" || status=$?
  expect_file "closed input and error: the text on standard output" "$work/out" '%s\r\n%s\r\n' "$d/a.txt" "$d/b.txt"
  check "closed input and error: status 0" test "$status" -eq 0
  check "closed input and error: the lock file stays empty" test ! -s "$lock_file"
}

# A standard output left non-blocking by the caller (as Node.js and others leave a
# pipe): each byte arrives once, however slowly the pipe is read.
nonblocking_output() {
  local prefix
  prefix=$(printf 'x%.0s' $(seq 100000))
  settings "GPrefix=$prefix"
  printf '%s%s\r\n' "$prefix" "$d/a.txt" "$prefix" "$d/b.txt" >"$work/expected-nb"
  status=0
  limited 60 python3 - "$KIRRAMO_BIN" "$d/a.txt" "$d/b.txt" >"$work/out" 2>"$work/err" <<'EOF' || status=$?
import fcntl, os, subprocess, sys, time
r, w = os.pipe()
fcntl.fcntl(w, fcntl.F_SETFL, fcntl.fcntl(w, fcntl.F_GETFL) | os.O_NONBLOCK)
env = {k: v for k, v in os.environ.items() if k not in ("DISPLAY", "WAYLAND_DISPLAY")}
program = subprocess.Popen(sys.argv[1:], stdout=w, env=env)
os.close(w)
time.sleep(0.3)  # the pipe fills and the program meets EAGAIN
data = bytearray()
while chunk := os.read(r, 4096):
    data += chunk
    time.sleep(0.001)
sys.stdout.buffer.write(data)
sys.exit(program.wait())
EOF
  settings
  check "non-blocking output: status 0" test "$status" -eq 0
  check "non-blocking output: the text once, whole" cmp -s "$work/expected-nb" "$work/out"
  check "non-blocking output: nothing on standard error" test ! -s "$work/err"
}

# A full disk: the text could not be placed, status 2, the true cause told once (not
# "another program is using the clipboard"), and nothing tried again.
full_output() {
  status=0
  limited 60 env -u DISPLAY -u WAYLAND_DISPLAY "$KIRRAMO_BIN" "$d/a.txt" >/dev/full 2>"$work/err" || status=$?
  check "full disk: status 2" test "$status" -eq 2
  expect_file "full disk: the cause" "$work/err" '標準出力に書き出せませんでした（No space left on device）。\n'
}

# 0 the text is in its place, 1 a selected path is missing (the lines before it are
# placed), 3 another Kirramo is running (this one ends at once, touching nothing).
exit_statuses() {
  run_plain "$d/a.txt"
  check "placed: status 0" test "$status" -eq 0
  run_plain "$d/a.txt" "$d/無い.txt"
  check "missing path: status 1" test "$status" -eq 1
  expect_file "missing path: the earlier line placed" "$work/out" '%s' "$d/a.txt"

  # The lock held by another process, as a running Kirramo holds it.
  local holder ready="$work/lock-held"
  python3 -c 'import fcntl, os, sys, time
f = open(sys.argv[1], "a"); fcntl.lockf(f, fcntl.LOCK_EX); open(sys.argv[2], "w").close(); time.sleep(120)' \
    "$lock_file" "$ready" &
  holder=$!
  local i
  for ((i = 0; i < 100; i++)); do [ -e "$ready" ] && break; sleep 0.1; done
  run_plain "$d/a.txt"
  kill "$holder" 2>/dev/null
  wait "$holder" 2>/dev/null
  check "another instance: status 3" test "$status" -eq 3
  check "another instance: nothing written" test ! -s "$work/out" -a ! -s "$work/err"
}

# A file named like the owner's hidden start, given on the command line (relative to
# the current folder; after "--" where it starts with "-"), is a path like any other.
# Before "--" it is an option not understood, never the owner's start.
hidden_argument() {
  local h="$work/隠し"
  mkdir -p "$h"
  local name
  for name in --kirramo-clipboard-owner kirramo-clipboard-owner; do
    printf 'x' >"$h/$name"
    status=0
    (cd "$h" && limited 60 env -u DISPLAY -u WAYLAND_DISPLAY "$KIRRAMO_BIN" -- "$name" \
      </dev/null >"$work/out" 2>"$work/err") || status=$?
    expect_file "a path named $name: its line" "$work/out" '%s' "$h/$name"
    check "a path named $name: status 0" test "$status" -eq 0
  done
  status=0
  (cd "$h" && limited 60 env -u DISPLAY -u WAYLAND_DISPLAY "$KIRRAMO_BIN" --kirramo-clipboard-owner \
    </dev/null >"$work/out" 2>"$work/err") || status=$?
  check "--kirramo-clipboard-owner before \"--\": an option not understood (status 4)" test "$status" -eq 4
  check "--kirramo-clipboard-owner before \"--\": nothing on standard output" test ! -s "$work/out"
}

# fake_wl_copy BODY: a wl-copy of this script's own, first on PATH for the Wayland
# cases; BODY is its shell script. What it was started with lands in $work/wl-*.
fake_wl_copy() {
  mkdir -p "$work/bin"
  rm -f "$work"/wl-*
  printf '#!/bin/sh\nPATH=/usr/bin:/bin\npwd >"%s/wl-cwd"\n%s\n' "$work" "$1" >"$work/bin/wl-copy"
  chmod +x "$work/bin/wl-copy"
}
# run_wayland DISPLAY ARGS...: the program in a Wayland session named DISPLAY, with
# the fake wl-copy alone on PATH (none when it was not made).
run_wayland() {
  local display=$1
  shift
  status=0
  (cd "$d" && limited 60 env -u DISPLAY WAYLAND_DISPLAY="$display" PATH="$work/bin" \
    "$KIRRAMO_BIN" "$@" >"$work/out" 2>"$work/err") || status=$?
}
# A compositor's socket that accepts connections and says nothing, as one without an
# input seat does as far as wl-copy gets; stopped by its PID when the script ends.
listening_socket() {
  python3 -c 'import socket, sys, time
s = socket.socket(socket.AF_UNIX); s.bind(sys.argv[1]); s.listen(16); time.sleep(600)' \
    "$XDG_RUNTIME_DIR/wayland-kirramo" &
  socket_pid=$!
  at_exit+=(stop_socket)
  local i
  for ((i = 0; i < 100; i++)); do [ -S "$XDG_RUNTIME_DIR/wayland-kirramo" ] && return 0; sleep 0.1; done
  fail "the listening socket did not appear"
}
stop_socket() {
  kill "$socket_pid" 2>/dev/null
  wait "$socket_pid" 2>/dev/null
}
# wayland_fallback WHAT CAUSE: the text went to standard output, status 0, and the
# note names the cause.
wayland_fallback() {
  expect_file "$1: the text on standard output" "$work/out" '%s\r\n%s\r\n' "$d/a.txt" "$d/b.txt"
  check "$1: status 0" test "$status" -eq 0
  expect_file "$1: the note" "$work/err" '%sクリップボードの代わりに標準出力へ書き出しました。\n' "$2"
}

# No text is lost when no Wayland clipboard can be reached.
wayland_stale_display() {
  fake_wl_copy 'cat >"'"$work"'/wl-text"'
  run_wayland kirramo-stale "$d/a.txt" "$d/b.txt"
  wayland_fallback "stale WAYLAND_DISPLAY" 'Wayland のディスプレイ「kirramo-stale」に接続できません。'
  check "stale WAYLAND_DISPLAY: wl-copy not started" test ! -e "$work/wl-cwd"
}

wayland_wl_copy_missing() {
  rm -rf "$work/bin"
  mkdir -p "$work/bin"
  run_wayland wayland-kirramo "$d/a.txt" "$d/b.txt"
  wayland_fallback "no wl-copy" 'wl-copy を起動できません（No such file or directory）。'
}

wayland_wl_copy_fails() {
  fake_wl_copy 'cat >/dev/null; echo "Failed to connect to a Wayland server" >&2; exit 1'
  run_wayland wayland-kirramo "$d/a.txt" "$d/b.txt"
  wayland_fallback "wl-copy fails" 'wl-copy がエラーで終わりました（終了コード 1）。'
}

# A wl-copy that neither reads nor ends, with a text larger than a pipe holds: after
# 15 s it is ended, with what it started, and the text goes to standard output.
wayland_wl_copy_hangs() {
  local prefix
  prefix=$(printf 'y%.0s' $(seq 50000))
  settings "GPrefix=$prefix"
  fake_wl_copy 'echo $$ >"'"$work"'/wl-pid"; sleep 600 & echo $! >"'"$work"'/wl-child"; wait'
  local started=$SECONDS
  run_wayland wayland-kirramo "$d/a.txt" "$d/b.txt"
  settings
  printf '%s%s\r\n' "$prefix" "$d/a.txt" "$prefix" "$d/b.txt" >"$work/expected-hang"
  check "wl-copy hangs: the text on standard output" cmp -s "$work/expected-hang" "$work/out"
  check "wl-copy hangs: status 0" test "$status" -eq 0
  expect_file "wl-copy hangs: the note" "$work/err" \
    'wl-copy が 15 秒たっても終わりません。クリップボードの代わりに標準出力へ書き出しました。\n'
  check "wl-copy hangs: given up after about 15 s" test $((SECONDS - started)) -le 30
  check "wl-copy hangs: it was ended" gone "$(cat "$work/wl-pid" 2>/dev/null || echo 0)"
  check "wl-copy hangs: what it started was ended" gone "$(cat "$work/wl-child" 2>/dev/null || echo 0)"
}

# wl-copy that takes the text: started in "/", so that it keeps no folder busy.
wayland_wl_copy_takes_it() {
  fake_wl_copy 'cat >"'"$work"'/wl-text"'
  run_wayland wayland-kirramo "$d/a.txt" "$d/b.txt"
  check "wl-copy: status 0" test "$status" -eq 0
  check "wl-copy: nothing on standard output" test ! -s "$work/out"
  expect_file "wl-copy: it got the text" "$work/wl-text" '%s\r\n%s\r\n' "$d/a.txt" "$d/b.txt"
  expect_file "wl-copy: started in /" "$work/wl-cwd" '/\n'
}

# The X11 owner of a 16 MB text (a listing of 100,000 files) keeps the text and not
# the run's memory: at most the text's size plus 8 MiB resident.
owner_memory() {
  if ! command -v Xvfb >/dev/null || ! command -v xclip >/dev/null || ! command -v xdotool >/dev/null; then
    echo "SKIP: owner_memory needs Xvfb, xclip and xdotool"
    return
  fi
  local big="$work/big" long
  long=$(printf 'n%.0s' $(seq 130))
  mkdir -p "$big"
  (cd "$big" && seq -f "%06g-$long.txt" 1 100000 | xargs touch)
  settings GFolder=True
  # The same text on standard output first, to know its size and bytes.
  run_plain "$big"
  cp "$work/out" "$work/expected-big"
  local size
  size=$(stat -c %s "$work/expected-big")
  check "owner memory: a text of more than 15 MiB" test "$size" -gt $((15 << 20))

  x_display
  status=0
  limited 120 "$KIRRAMO_BIN" "$big" >"$work/out" 2>"$work/err" || status=$?
  check "owner memory: status 0" test "$status" -eq 0
  local id pid rss
  id=$(xdotool search --name '^Kirramo clipboard$' 2>/dev/null | head -n 1)
  pid=$([ -n "$id" ] && xdotool getwindowpid "$id" 2>/dev/null)
  rss=$(awk '/^VmRSS:/ { print $2 }' "/proc/${pid:-0}/status" 2>/dev/null)
  echo "owner memory: text $((size >> 10)) KiB, owner VmRSS ${rss:-?} KiB"
  check "owner memory: at most the text and 8 MiB" test "${rss:-999999999}" -le $(((size >> 10) + 8192))
  timeout 60 xclip -o -selection clipboard >"$work/clip" 2>/dev/null
  check "owner memory: the clipboard holds the text" cmp -s "$work/expected-big" "$work/clip"
  # The server stays until the script ends; the cases after this one run without it.
  unset DISPLAY
  settings
}

cases=(closed_descriptors nonblocking_output full_output exit_statuses hidden_argument
  wayland_stale_display wayland_wl_copy_missing wayland_wl_copy_fails wayland_wl_copy_hangs
  wayland_wl_copy_takes_it owner_memory)

listening_socket
for c in "${cases[@]}"; do "$c"; done

report
