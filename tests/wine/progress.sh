#!/usr/bin/env bash
# The progress window of kirramo.exe on slow folders (tests/tools/slowfs.py, reached as
# Z:\...): it appears after half a second without taking the focus from the file
# manager; 中止 and Esc end the program within half a second, also while a listing does
# not answer, with the clipboard as it was; a quick run shows no window; a long run left
# alone ends with every line. Every case has a time limit.
source "$(dirname "$0")/lib/common.bash"

# The display has no window manager: Wine manages kirramo.exe's windows itself, as
# Windows does, instead of waiting two seconds for a window manager to withdraw each
# window that closes.
managed_key='HKCU\Software\Wine\AppDefaults\kirramo.exe\X11 Driver'
wine reg add "$managed_key" /v Managed /d N /f >/dev/null 2>&1
forget_managed() { wine reg delete "$managed_key" /f >/dev/null 2>&1 || true; }
at_exit+=(forget_managed)

# 30 folders of 3 subfolders each: 121 listings, each of which waits on the slow mounts.
# A second source holds one folder whose listing does not answer for eight seconds.
python3 - "$work/tree" "$work/hanging" <<'PY'
import os, sys
for i in range(30):
    for j in range(3):
        os.makedirs(os.path.join(sys.argv[1], f"フォルダ{i:02}", f"下{j}"))
os.makedirs(os.path.join(sys.argv[2], "応答なし"))
PY
slow_folder "$work/tree" "$work/slow" --delay-ms 200
slow_folder "$work/tree" "$work/brisk" --delay-ms 10
slow_folder "$work/hanging" "$work/hang" --delay-ms 10 --hang 応答なし --hang-ms 8000
settings GDir=True

# The file manager: Notepad stands in for it, the active window when a run starts.
wine notepad >/dev/null 2>&1 &
notepad_pid=$!
stop_notepad() {
  kill "$notepad_pid" 2>/dev/null
  wait "$notepad_pid" 2>/dev/null
}
at_exit+=(stop_notepad)
for _ in $(seq 60); do
  [ "$(timeout 60 wine "$tools/drive.exe" foreground 2>/dev/null | tr -d '\r')" = Notepad ] && break
  sleep 0.5
done

# What the clipboard held before the runs that are stopped.
printf 'x' >"$work/前.txt"
run "$(win "$work/前.txt")"
expect_clip "the clipboard before" '%s' "$(win "$work/前.txt")"

# stopped WAY FOLDER: starts kirramo.exe on the folder, waits for its progress window,
# notes the active window and the window's controls in $work/seen, and stops the run
# by WAY: click (中止 clicked) or esc (the window made active, as a click on it would,
# then Esc). $status: the program's exit status; $seconds: from the stop to the end of
# the process; $offscreen: from the stop until no window titled Kirramo is on the X
# screen (999 when it was not there at the stop).
stopped() {
  python3 - "$work" "$exe" "$tools/drive.exe" "$@" <<'PY'
import subprocess, sys, time
work, exe, drive, way, folder = sys.argv[1:6]
quiet = subprocess.DEVNULL
def on_screen():
    found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^Kirramo$"], stdout=subprocess.PIPE,
                           stderr=quiet).stdout
    return bool(found.strip())
program = subprocess.Popen(["wine", exe, folder], stdin=quiet, stdout=quiet, stderr=quiet)
stop = ["say", "stop", "click", "CmdStop"] if way == "click" else ["activate", "say", "stop", "key", "esc"]
driver = subprocess.Popen(["wine", drive, "progress", "wait", "foreground", "dump"] + stop,
                          stdin=quiet, stdout=subprocess.PIPE, stderr=quiet)
seen, stopped_at, offscreen = [], None, 999
for line in driver.stdout:
    line = line.decode("utf-8", "replace").rstrip("\r\n")
    if line != "stop":
        seen.append(line)
        continue
    stopped_at = time.monotonic()
    if on_screen():
        while on_screen() and time.monotonic() < stopped_at + 10:
            time.sleep(0.005)
        offscreen = time.monotonic() - stopped_at
driver.wait(timeout=120)
try:
    status = program.wait(timeout=60)
except subprocess.TimeoutExpired:
    program.kill()
    status = program.wait()
seconds = time.monotonic() - stopped_at if stopped_at else 999
open(f"{work}/seen", "w").write("\n".join(seen) + "\n")
open(f"{work}/stop", "w").write(f"{status} {seconds:.3f} {offscreen:.3f}\n")
PY
  read -r status seconds offscreen <"$work/stop"
}
# below SECONDS LIMIT: true when SECONDS < LIMIT.
below() { python3 -c "import sys; sys.exit(0 if $1 < $2 else 1)"; }

for way in click esc; do
  stopped "$way" "$(win "$work/slow")"
  echo "$way: the process ended ${seconds}s after the stop, off the screen after ${offscreen}s"
  check "$way: the window appeared, the file manager stays active" grep -qx Notepad "$work/seen"
  check "$way: the window says 取得中…" grep -qx 'LblAction checked=0 enabled=1 text=取得中…' "$work/seen"
  check "$way: the counts line" grep -q '^LblCounts checked=0 enabled=1 text=[0-9,]* 行　[0-9,]* フォルダー$' "$work/seen"
  check "$way: 中止 takes clicks" grep -qx 'CmdStop checked=0 enabled=1 text=中止' "$work/seen"
  check "$way: exit status 0, was $status" test "$status" -eq 0
  check "$way: the process ended within 0.5 s of the stop (${seconds}s)" below "$seconds" 0.5
  expect_clip "$way: the clipboard as it was" '%s' "$(win "$work/前.txt")"
done

# A listing that does not answer: the run is given up 150 ms after 中止 and its window
# leaves the screen. The wine process ends only when the listing answers: a thread
# waiting in a FUSE request cannot be ended before (on Windows the system cancels the
# request and the process ends at once).
stopped click "$(win "$work/hang")"
echo "hanging listing: off the screen ${offscreen}s after the stop, the process ended after ${seconds}s"
check "hanging listing: exit status 0, was $status" test "$status" -eq 0
check "hanging listing: off the screen within 0.5 s of the stop (${offscreen}s)" below "$offscreen" 0.5
check "hanging listing: the process ended once the listing answered (${seconds}s)" below "$seconds" 12
expect_clip "hanging listing: the clipboard as it was" '%s' "$(win "$work/前.txt")"

# The settings window's Get: the window stays, disabled, while its run goes on in the
# progress window; 中止 there ends the program, the options saved and nothing placed.
settings GDir=True GMenu=False
start "$(win "$work/slow")"
timeout 60 wine "$tools/drive.exe" wait >/dev/null 2>&1
# The click returns once the run has ended: it waits in the background.
timeout 120 wine "$tools/drive.exe" click ChkTime >/dev/null 2>&1
timeout 120 wine "$tools/drive.exe" click CmdGet >/dev/null 2>&1 &
getter=$!
timeout 60 wine "$tools/drive.exe" progress wait >/dev/null 2>&1
timeout 60 wine "$tools/drive.exe" enabled >"$work/enabled" 2>/dev/null
check "Get: the settings window disabled during the run" grep -q '^enabled=0' "$work/enabled"
timeout 60 wine "$tools/drive.exe" progress click CmdStop gone >/dev/null 2>&1
check "Get: 中止 closes the progress window" test $? -eq 0
timeout 60 wine "$tools/drive.exe" gone >/dev/null 2>&1
check "Get: the settings window closes" test $? -eq 0
wait "$getter"
finish_run
check "Get stopped: exit status 0, was $status" test "$status" -eq 0
check "Get stopped: the options saved" grep -qx $'GTime=True\r' "$settings_file"
expect_clip "Get stopped: the clipboard as it was" '%s' "$(win "$work/前.txt")"
settings GDir=True

# A quick run shows no window; its text is whole.
start "$(win "$work/tree/フォルダ00")"
timeout 60 wine "$tools/drive.exe" progress absent 3000 >/dev/null 2>&1
check "quick run: no progress window" test $? -eq 0
finish_run
expect_clip "quick run: its three subfolders" '%s\r\n%s\r\n%s\r\n' \
  "$(win "$work/tree/フォルダ00/下0")" "$(win "$work/tree/フォルダ00/下1")" "$(win "$work/tree/フォルダ00/下2")"

# A long run left alone: the window comes and goes, and every line is placed.
start "$(win "$work/brisk")"
timeout 120 wine "$tools/drive.exe" progress wait gone >/dev/null 2>&1
check "long run: the window came and went" test $? -eq 0
finish_run
check "long run: exit status 0, was $status" test "$status" -eq 0
clip
check "long run: every folder (120 lines)" test "$(iconv -f UTF-16LE -t UTF-8 "$work/clip.u16" | tr -cd '\n' | wc -l)" -eq 120

report
