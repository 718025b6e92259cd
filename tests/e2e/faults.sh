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

cases=(closed_descriptors nonblocking_output full_output exit_statuses)

for c in "${cases[@]}"; do "$c"; done

report
