#!/usr/bin/env python3
"""Kirramo benchmarks: whole-program runs on generated trees beside find, sort, tree and
xclip doing the same job, alternated and timed in the same run, reported as ratios.

Usage: bench.py KIRRAMO_BIN WORKDIR [--runs N] [--skip-t3 | --t3-if-present] [--only P1,P4]

The trees are generated from a fixed seed under WORKDIR and kept there between runs
(a tree counts as present once its ".complete" stamp exists). Kirramo runs without a
display, so its text goes to standard output, with a settings file made for each
scenario. P1 to P3 also compare Kirramo's text with the rival's (same lines after the
order and the line breaks are normalised), so a fast wrong answer cannot pass.
"""
import argparse
import collections
import datetime
import os
import platform as pyplatform
import random
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

SEED = 20261207
JP = ["写真", "家族", "旅行", "資料", "メモ", "会議", "ファイル", "東京", "報告書", "データ"]
ASCII = ["Report", "photo", "DATA", "notes", "Budget", "image", "Draft", "log", "Summary", "x"]
EXTS = [".txt", ".JPG", ".png", ".tar.gz", ".docx", ".csv", "", ".Log", ".html", ".pdf"]
SETTING_KEYS = ["GLong", "GUpper", "GName", "GExt", "GFolder", "GFPattern", "GFPatternSet",
                "GSub", "GTime", "GUnc", "GSize", "GUnit", "GDir", "GBackword", "GTreeP",
                "GTreeF", "GRepYen", "GRepSP", "G1Frtn", "GMenu", "GPrefix", "GSuffix"]

# Goals: the largest ratio allowed against each rival (None: shown for reference only).
GOALS = {
    ("P1", "C sort -f"): 1.0, ("P1", "find floor"): 1.5,
    ("P2", "C sort -f"): 1.0, ("P2", "find floor"): 1.5,
    ("P3", "C sort -f"): 1.0, ("P3", "find floor"): 1.5,
    ("P4", "tree -a"): 1.0, ("P4", "tree -a, C.UTF-8"): 1.0,
    ("P5", "realpath | xclip"): 1.2,
    ("P6", "memory / output"): 3.0,
}


def log(msg):
    print(msg, file=sys.stderr, flush=True)


# ---- Trees ----

def name(rng, i):
    """A name mixing upper and lower case ASCII, Japanese, blanks and dots; unique
    among its siblings through the number at its end."""
    parts = []
    for _ in range(rng.randint(1, 3)):
        pool = JP if rng.random() < 0.3 else ASCII
        w = rng.choice(pool)
        if rng.random() < 0.5:
            w = w.upper() if rng.random() < 0.5 else w.lower()
        parts.append(w)
    sep = rng.choice([" ", "_", "-", ".", ""])
    return f"{sep.join(parts)} {i}"


def make_files_tree(root, n_files, n_dirs, rng, sparse_sizes=True):
    """n_dirs folders in three levels, n_files files spread evenly over them; sizes
    from 0 bytes to 5 GB as sparse files (or all empty)."""
    os.makedirs(root)
    fan = max(2, round(n_dirs ** (1 / 3)))
    dirs = []

    def add(parent, i):
        d = os.path.join(parent, name(rng, i))
        os.mkdir(d)
        dirs.append(d)
        return d

    for a in range(fan):
        if len(dirs) >= n_dirs:
            break
        da = add(root, a)
        for b in range(fan):
            if len(dirs) >= n_dirs:
                break
            db = add(da, b)
            for c in range(fan):
                if len(dirs) >= n_dirs:
                    break
                add(db, c)
    for i in range(n_files):
        p = os.path.join(dirs[i % len(dirs)], name(rng, i) + rng.choice(EXTS))
        fd = os.open(p, os.O_WRONLY | os.O_CREAT | os.O_TRUNC, 0o644)
        if sparse_sizes:
            r = rng.random()
            if r < 0.1:
                size = 0
            elif r > 0.98:
                size = rng.randint(1, 5 * 1000**3)
            else:
                size = rng.randint(1, 10**7)
            os.ftruncate(fd, size)
        os.close(fd)


def make_dirs_tree(root, n_dirs, rng):
    """n_dirs nested folders, each under a randomly chosen earlier one, up to 8 levels."""
    os.makedirs(root)
    frontier = [(root, 0)]
    for made in range(n_dirs):
        parent, depth = frontier[rng.randrange(len(frontier))]
        d = os.path.join(parent, name(rng, made))
        os.mkdir(d)
        if depth + 1 < 8:
            frontier.append((d, depth + 1))


def ensure_tree(path, maker):
    stamp = path + ".complete"
    if os.path.exists(stamp):
        return
    if os.path.exists(path):
        shutil.rmtree(path)
    log(f"  generating {os.path.basename(path)} (kept for later runs)")
    t = time.time()
    maker()
    subprocess.run(["sync"], check=False)
    open(stamp, "w").close()
    log(f"  generated {os.path.basename(path)} in {time.time() - t:.0f} s")


def settings_dir(work, scenario, **opts):
    """A config folder holding kirramo/Tolvane.ini with the given options (others off).
    GMenu is on: the program runs at once, without its settings window."""
    cfg = os.path.join(work, "cfg", scenario)
    os.makedirs(os.path.join(cfg, "kirramo"), exist_ok=True)
    lines = []
    defaults = {"GFPatternSet": "", "GPrefix": "", "GSuffix": "", "GUnit": 0}
    for k in SETTING_KEYS:
        v = opts.get(k, defaults.get(k, k == "GMenu"))
        if isinstance(v, bool):
            v = "True" if v else "False"
        lines.append(f"{k}={v}")
    with open(os.path.join(cfg, "kirramo", "Tolvane.ini"), "w", newline="") as f:
        f.write("\r\n".join(lines) + "\r\n")
    return cfg


# ---- Runs ----

class Cmd:
    """One command of a scenario: an argument list (run directly) or a shell pipeline."""

    def __init__(self, argv, env, shell=False):
        self.argv, self.env, self.shell = argv, env, shell

    def timed(self, stdout=subprocess.DEVNULL):
        """Wall time (s) of one whole-process run."""
        # Standard error goes to a file, not a pipe: a clipboard owner left running in
        # the background (xclip's) would keep a pipe open after the command ended.
        with tempfile.TemporaryFile() as err:
            t0 = time.perf_counter()
            p = subprocess.Popen(self.argv, env=self.env, stdout=stdout, stderr=err,
                                 shell=self.shell)
            _, status, ru = os.wait4(p.pid, 0)
            wall = time.perf_counter() - t0
            p.returncode = os.waitstatus_to_exitcode(status)
            if p.returncode != 0:
                err.seek(0)
                raise RuntimeError(f"failed ({p.returncode}): {self.argv}\n"
                                   + err.read().decode(errors="replace"))
        return wall

    def peak_kib(self):
        """Peak resident memory (KiB) of one run, measured by GNU time: the resource
        usage that Python's own wait reports would count the memory of the Python
        process that started the command (it is its memory before the exec)."""
        with tempfile.NamedTemporaryFile("r") as rep:
            Cmd(["/usr/bin/time", "-f", "%M", "-o", rep.name, *self.argv], self.env).timed()
            return int(rep.read().split()[-1])

    def output(self):
        with tempfile.TemporaryFile() as out:
            subprocess.run(self.argv, env=self.env, shell=self.shell, stdout=out,
                           stderr=subprocess.DEVNULL, check=True)
            out.seek(0)
            return out.read()


def measure(kir, rivals, runs):
    """Warm-up, then `runs` rounds alternating Kirramo and each rival. Medians."""
    kmem = kir.peak_kib()
    for r in rivals.values():
        r.timed()
    ktimes = []
    rtimes = {n: [] for n in rivals}
    for _ in range(runs):
        ktimes.append(kir.timed())
        for n, r in rivals.items():
            rtimes[n].append(r.timed())
    log("    kirramo " + " ".join(f"{t:.3f}" for t in ktimes))
    for n, ts in rtimes.items():
        log(f"    {n:10s} " + " ".join(f"{t:.3f}" for t in ts))
    return (statistics.median(ktimes), kmem,
            {n: statistics.median(ts) for n, ts in rtimes.items()})


# ---- Output checks ----

def kirramo_lines(data):
    """Kirramo's text as lines: CR LF line breaks only, one after the last line."""
    text = data.decode("utf-8")
    if text and not text.endswith("\r\n"):
        raise ValueError("text does not end with CR LF")
    body = text[:-2] if text else text
    if "\n" in body.replace("\r\n", ""):
        raise ValueError("a line break other than CR LF")
    return body.split("\r\n") if body else []


def rival_lines(data):
    text = data.decode("utf-8")
    return text.rstrip("\n").split("\n") if text else []


def size_text_kb(n):
    """The size column of GUnit 2: kilobytes rounded half to even, digits grouped."""
    q, r = divmod(n, 1024)
    if r * 2 > 1024 or (r * 2 == 1024 and q % 2 == 1):
        q += 1
    return f"{q:,}KB"


def with_kb_column(line):
    path, when, size = line.split("\t")
    return f"{path}\t{when}\t{size_text_kb(int(size))}"


def same_lines(mine, theirs, label):
    """Equal as multisets of lines; on a difference a few examples go to the log."""
    a, b = collections.Counter(mine), collections.Counter(theirs)
    if a == b:
        return True
    only_mine = list((a - b).elements())[:3]
    only_theirs = list((b - a).elements())[:3]
    log(f"  {label}: outputs differ ({len(mine)} lines against {len(theirs)});"
        f" only Kirramo: {only_mine}; only rival: {only_theirs}")
    return False


def tree_names(lines, header):
    """The entry names of a tree drawing, without the drawing characters."""
    names = []
    for line in lines[header:]:
        name = line.lstrip("│├└─ \u00a0")
        if name:
            names.append(name)
    return names


# ---- Machine ----

def machine():
    cpu = "unknown CPU"
    try:
        with open("/proc/cpuinfo") as f:
            for line in f:
                if line.startswith("model name"):
                    cpu = line.split(":", 1)[1].strip()
                    break
    except OSError:
        pass
    return f"{os.cpu_count()} cores ({cpu}), Linux {pyplatform.release()}"


def fs_type(path):
    for cmd in (["findmnt", "-n", "-o", "FSTYPE", "-T", path], ["stat", "-f", "-c", "%T", path]):
        try:
            out = subprocess.run(cmd, capture_output=True, text=True).stdout.strip()
        except OSError:
            continue
        if out:
            return out
    return "?"


# ---- Scenarios ----

def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("kirramo")
    ap.add_argument("work")
    ap.add_argument("--runs", type=int, default=7)
    g = ap.add_mutually_exclusive_group()
    g.add_argument("--skip-t3", action="store_true", help="leave out P6 and its tree")
    g.add_argument("--t3-if-present", action="store_true",
                   help="run P6 only when the million-file tree exists already")
    ap.add_argument("--only", default="", help="comma-separated scenarios, e.g. P1,P4")
    a = ap.parse_args()
    kir = os.path.abspath(a.kirramo)
    work = os.path.abspath(a.work)
    os.makedirs(work, exist_ok=True)
    only = set(a.only.split(",")) if a.only else None
    wanted = lambda sid: only is None or sid in only

    t1, t2, t3 = (os.path.join(work, n) for n in ("T1", "T2", "T3"))
    log(f"Trees under {work}")
    if any(wanted(s) for s in ("P1", "P2", "P4")):
        ensure_tree(t1, lambda: make_files_tree(t1, 200_000, 2_000, random.Random(SEED)))
    if wanted("P3"):
        ensure_tree(t2, lambda: make_dirs_tree(t2, 50_000, random.Random(SEED + 1)))
    run_p6 = wanted("P6") and not a.skip_t3 and (
        not a.t3_if_present or os.path.exists(t3 + ".complete"))
    if run_p6:
        ensure_tree(t3, lambda: make_files_tree(t3, 1_000_000, 10_000, random.Random(SEED + 2),
                                                sparse_sizes=False))

    base = {k: v for k, v in os.environ.items()
            if k not in ("DISPLAY", "WAYLAND_DISPLAY", "LC_ALL", "LC_COLLATE", "LANGUAGE")}
    base["LANG"] = "C.UTF-8"
    # A runtime folder of its own: Kirramo's single-instance lock lives there, and a
    # Kirramo started elsewhere on the machine must not make a timed run end at once.
    base["XDG_RUNTIME_DIR"] = os.path.join(work, "run")
    os.makedirs(base["XDG_RUNTIME_DIR"], mode=0o700, exist_ok=True)
    c_env = dict(base, LC_ALL="C")
    ja_env = dict(base, LC_ALL="ja_JP.UTF-8")
    # find prints the file times in local time; Japan's time is what Kirramo's column shows.
    jst_env = dict(base, LC_ALL="C", TZ="JST-9")

    def kcmd(cfg, *paths):
        # The user's desktop is Japanese: the collation follows LANG=ja_JP.UTF-8.
        return Cmd([kir, *paths], dict(base, XDG_CONFIG_HOME=cfg, LANG="ja_JP.UTF-8"))

    q = lambda p: "'" + p.replace("'", "'\\''") + "'"
    sh = lambda text, env: Cmd(text, env, shell=True)

    cfg_p1 = settings_dir(work, "P1", GLong=True, GFolder=True, GSub=True, GFPattern="*.*")
    cfg_p2 = settings_dir(work, "P2", GLong=True, GFolder=True, GSub=True, GFPattern="*.*",
                          GTime=True, GSize=True, GUnit=2)
    cfg_p3 = settings_dir(work, "P3", GLong=True, GDir=True, GFPattern="*.*")
    cfg_p4 = settings_dir(work, "P4", GLong=True, GTreeF=True, GFPattern="*.*")
    find_t1 = f"find {q(t1)} -type f"
    find_t2 = f"find {q(t2)} -mindepth 1 -type d"
    p2_find = find_t1 + r" -printf '%p\t%TY/%Tm/%Td %TH:%TM:%.2TS\t%s\n'"

    scenarios = [
        ("P1", kcmd(cfg_p1, t1), {
            "C sort -f": sh(f"{find_t1} | LC_ALL=C sort -f", c_env),
            "ja sort -f": sh(f"{find_t1} | sort -f", ja_env),
            "find floor": sh(find_t1, c_env)}, None),
        ("P2", kcmd(cfg_p2, t1), {
            "C sort -f": sh(f"{p2_find} | LC_ALL=C sort -f", jst_env),
            "find floor": sh(find_t1, c_env),
            # The enumeration that also reads each file's size and time, as P2 must.
            "find -printf %s floor": sh(find_t1 + r" -printf '%s\n'", c_env)}, with_kb_column),
        ("P3", kcmd(cfg_p3, t2), {
            "C sort -f": sh(f"{find_t2} | LC_ALL=C sort -f", c_env),
            "find floor": sh(find_t2, c_env)}, None),
        ("P4", kcmd(cfg_p4, t1), {
            "tree -a": sh(f"tree -a --noreport {q(t1)}", ja_env),
            "tree -a, C.UTF-8": sh(f"tree -a --noreport {q(t1)}", dict(base, LC_ALL="C.UTF-8"))},
         None),
    ]

    rows = []
    failed = False
    for sid, kir_cmd, rivals, normalise in scenarios:
        if not wanted(sid):
            continue
        log(f"{sid}")
        out = kir_cmd.output()
        size = len(out)
        ok = None
        if sid in ("P1", "P2", "P3"):
            theirs = rival_lines(next(iter(rivals.values())).output())
            if normalise:
                theirs = [normalise(l) for l in theirs]
            try:
                ok = same_lines(kirramo_lines(out), theirs, sid)
            except ValueError as e:
                log(f"  {sid}: {e}")
                ok = False
        elif sid == "P4":
            # Kirramo's listing starts with the folder, tree's too.
            mine = tree_names(kirramo_lines(out), 1)
            theirs = tree_names(rival_lines(next(iter(rivals.values())).output()), 1)
            ok = same_lines(sorted(mine), sorted(theirs), sid)
        failed |= ok is False
        del out
        km, kmem, rmed = measure(kir_cmd, rivals, a.runs)
        for n, rm in rmed.items():
            rows.append((sid, n, km, rm, km / rm, kmem, size, ok))

    if wanted("P5"):
        row = bench_clipboard(kir, work, a.runs, base)
        failed |= row[7] is False
        rows.append(row)

    if run_p6:
        log("P6")
        kir_cmd = kcmd(cfg_p1, t3)
        out_path = os.path.join(work, "p6.out")
        kir_cmd.timed()  # warm-up: the tree's folders in the cache
        m = kir_cmd.peak_kib()
        with open(out_path, "wb") as f:
            w = kir_cmd.timed(stdout=f)
        size = os.path.getsize(out_path)
        with open(out_path, "rb") as f:
            lines = sum(1 for _ in f)
        os.remove(out_path)
        ok = lines == 1_000_000
        failed |= not ok
        rows.append(("P6", "memory / output", w, float("nan"), (m * 1024) / size, m, size, ok))
        log(f"  {lines} lines, peak {m / 1024:.1f} MiB, output {size / 2**20:.1f} MiB")

    print()
    print(f"{datetime.date.today().isoformat()}, {machine()}, trees on {fs_type(work)}, "
          f"median of {a.runs} runs")
    print()
    print("| scenario | rival | Kirramo s | rival s | ratio | goal | Kirramo peak RSS "
          "| output bytes | same output |")
    print("|---|---|---|---|---|---|---|---|---|")
    for sid, rname, km, rm, ratio, mem, size, ok in rows:
        goal = GOALS.get((sid, rname))
        verdict = "" if goal is None else (f"≤ {goal:g}: " + ("met" if ratio <= goal else "MISSED"))
        okt = "" if ok is None else ("yes" if ok else "NO")
        rms = "" if rm != rm else f"{rm:.3f}"
        cell = rname.replace("|", "\\|")  # a pipe in a rival's name would end its cell
        print(f"| {sid} | {cell} | {km:.3f} | {rms} | {ratio:.2f} | {verdict} "
              f"| {mem / 1024:.1f} MiB | {size:,} | {okt} |")
    return 1 if failed else 0


def bench_clipboard(kir, work, runs, base):
    """P5: two files to the X11 clipboard of a private Xvfb, against realpath | xclip."""
    log("P5")
    files = [os.path.join(work, "p5 a.txt"), os.path.join(work, "p5 b.txt")]
    for p in files:
        open(p, "w").close()
    r, w = os.pipe()
    xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(w), "-nolisten", "tcp", "-noreset",
                             "-screen", "0", "640x480x24"],
                            pass_fds=(w,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(w)
    number = b""
    while not number.endswith(b"\n"):
        chunk = os.read(r, 64)
        if not chunk:
            break
        number += chunk
    os.close(r)
    if not number.strip():
        xvfb.kill()
        xvfb.wait()
        raise RuntimeError("Xvfb did not start")
    disp = ":" + number.decode().strip()
    try:
        cfg = settings_dir(work, "P5", GLong=True, GFPattern="*.*")
        env = dict(base, DISPLAY=disp, XDG_CONFIG_HOME=cfg, LANG="ja_JP.UTF-8")
        kir_cmd = Cmd([kir, *files], env)
        rival = Cmd("realpath " + " ".join("'" + p + "'" for p in files)
                    + " | xclip -selection clipboard", env, shell=True)
        read_back = lambda: subprocess.run(["xclip", "-o", "-selection", "clipboard"], env=env,
                                           capture_output=True, timeout=10).stdout
        kir_cmd.timed()
        got = read_back()
        try:
            ok = same_lines(kirramo_lines(got), [os.path.realpath(p) for p in files], "P5")
        except ValueError as e:
            log(f"  P5: {e}")
            ok = False
        km, kmem, rmed = measure(kir_cmd, {"realpath | xclip": rival}, runs)
        rm = rmed["realpath | xclip"]
        return ("P5", "realpath | xclip", km, rm, km / rm, kmem, len(got), ok)
    finally:
        # The clipboard owners (Kirramo's and xclip's) end when their display goes away.
        xvfb.terminate()
        xvfb.wait()


if __name__ == "__main__":
    sys.exit(main())
