#!/usr/bin/env bash
# Long runs without a display: SIGINT and SIGTERM stop the run as 中止 does (nothing on
# standard output, exit status 5) within half a second of the signal; a run left alone
# ends with every line; on a terminal one progress line on standard error, rewritten in
# place and erased at the end; a quick run draws no line at all.
source "$(dirname "$0")/lib/common.bash"

# 300 folders of 500 files each. Listing its subfolders reads every entry, and takes a
# few hundredths of a second; the same folder selected 80 times makes a run of seconds.
python3 - "$work/big" <<'PY'
import os, sys
for i in range(300):
    d = os.path.join(sys.argv[1], f"d{i:03}", "sub")
    os.makedirs(d)
    for j in range(500):
        open(os.path.join(d, f"f{j:04}.txt"), "w").close()
PY
paths=()
for _ in $(seq 80); do paths+=("$work/big"); done
settings GDir=True

# timed_run SIGNAL DELAY TTY ARGS...: runs the program without a display (standard
# error on a terminal when TTY is 1), sends SIGNAL (or none: "-") after DELAY seconds,
# and writes to $work/run: the exit status, the seconds from the signal (or the start)
# to the end, and the bytes of standard output. Standard error goes to $work/err.
timed_run() {
  python3 - "$work" "$@" <<'PY'
import os, pty, signal, subprocess, sys, time
work, sig, delay, tty, args = sys.argv[1], sys.argv[2], float(sys.argv[3]), sys.argv[4] == "1", sys.argv[5:]
env = {k: v for k, v in os.environ.items() if k not in ("DISPLAY", "WAYLAND_DISPLAY")}
out = open(os.path.join(work, "out"), "wb")
if tty:
    master, slave = pty.openpty()
    err = slave
else:
    err = open(os.path.join(work, "err"), "wb")
start = time.monotonic()
p = subprocess.Popen([os.environ["KIRRAMO_BIN"]] + args, stdout=out, stderr=err, env=env)
captured = b""
if tty:
    os.close(slave)
def drain(until):
    global captured
    import select
    while time.monotonic() < until:
        if tty:
            r, _, _ = select.select([master], [], [], 0.01)
            if r:
                try:
                    captured += os.read(master, 65536)
                except OSError:
                    pass
        else:
            time.sleep(0.01)
        if p.poll() is not None:
            return
drain(start + delay)
signalled = time.monotonic()
if sig != "-" and p.poll() is None:
    p.send_signal(getattr(signal, sig))
drain(signalled + 60)
if p.poll() is None:
    p.kill()
status = p.wait()
ended = time.monotonic()
if tty:
    drain(ended + 0.2)
    open(os.path.join(work, "err"), "wb").write(captured)
out.close()
since = ended - (signalled if sig != "-" else start)
open(os.path.join(work, "run"), "w").write(f"{status} {since:.3f} {os.path.getsize(os.path.join(work, 'out'))}\n")
PY
  read -r status seconds outbytes <"$work/run"
}

# within LIMIT: the seconds of the last timed run are below LIMIT.
within() { python3 -c "import sys; sys.exit(0 if $seconds < $1 else 1)"; }

for sig in SIGINT SIGTERM; do
  timed_run "$sig" 0.3 0 "${paths[@]}"
  echo "$sig: ended ${seconds}s after the signal"
  check "$sig: exit status 5 (cancelled), was $status" test "$status" -eq 5
  check "$sig: ended within 0.5 s of the signal (${seconds}s)" within 0.5
  check "$sig: nothing on standard output" test "$outbytes" -eq 0
  check "$sig: nothing on standard error" test ! -s "$work/err"
done

# On a terminal: the progress line is drawn (after half a second) and erased at the end.
timed_run SIGINT 1.2 1 "${paths[@]}"
check "terminal: exit status 5, was $status" test "$status" -eq 5
check "terminal: a progress line with the counts" grep -q $'\r[0-9,]* 行　[0-9,]* フォルダー' "$work/err"
check "terminal: the line erased at the end" test "$(tail -c 4 "$work/err" | od -An -tx1 | tr -d ' \n')" = 0d1b5b4b
check "terminal: nothing on standard output" test "$outbytes" -eq 0

# A quick run on a terminal draws no line; its text is whole.
timed_run - 0 1 "$work/big"
check "quick run: exit status 0, was $status" test "$status" -eq 0
check "quick run: nothing on the terminal" test ! -s "$work/err"
check "quick run: every folder (600 lines)" test "$(tr -cd '\n' <"$work/out" | wc -c)" -eq 600

# A long run left alone ends with every line: 80 × 600 folder lines.
timed_run - 0 1 "${paths[@]}"
check "long run: exit status 0, was $status" test "$status" -eq 0
check "long run: every line" test "$(tr -cd '\n' <"$work/out" | wc -c)" -eq 48000
check "long run: the line erased at the end" test "$(tail -c 4 "$work/err" | od -An -tx1 | tr -d ' \n')" = 0d1b5b4b

report
