# The checks and their tally, shared by the end-to-end scripts of both programs
# (sourced through their own lib/common.bash): a private work folder that goes when
# the script ends, functions to run before that, byte-exact comparisons, and the lines
# of a settings file.

passed=0
failed=0
work=$(mktemp -d "${TMPDIR:-/tmp}/kirramo-${KIRRAMO_CHECKS_NAME:-e2e}.XXXXXX")

# Functions to run when the script ends (servers to stop and the like), then the
# work folder goes.
at_exit=()
finish() {
  local f
  for f in "${at_exit[@]+"${at_exit[@]}"}"; do "$f"; done
  rm -rf "$work"
}
trap finish EXIT

pass() { passed=$((passed + 1)); }
fail() { failed=$((failed + 1)); echo "FAIL: $*"; }

# check NAME COMMAND...: the command succeeds.
check() {
  local name=$1
  shift
  if "$@"; then pass; else fail "$name"; fi
}

# same_bytes NAME EXPECTED_FILE ACTUAL_FILE: the two files hold the same bytes.
same_bytes() {
  if cmp -s "$2" "$3"; then
    pass
  else
    fail "$1"
    diff <(od -An -c "$2") <(od -An -c "$3") | head -n 20
  fi
}

# expect_file NAME FILE FORMAT [ARGS...]: FILE holds exactly the bytes that
# printf FORMAT ARGS... makes.
expect_file() {
  local name=$1 file=$2
  shift 2
  # shellcheck disable=SC2059
  printf "$@" >"$work/expected"
  same_bytes "$name" "$work/expected" "$file"
}

# settings_lines KEY=VALUE...: the 22 lines of a settings file, in the file's order,
# every key the designed value (GLong on, pattern "*.*", GMenu on) unless given.
settings_lines() {
  local -A v=([GLong]=True [GUpper]=False [GName]=False [GExt]=False [GFolder]=False
    [GFPattern]='*.*' [GFPatternSet]='*.*|*.txt' [GSub]=False [GTime]=False [GUnc]=False
    [GSize]=False [GUnit]=0 [GDir]=False [GBackword]=False [GTreeP]=False [GTreeF]=False
    [GRepYen]=False [GRepSP]=False [G1Frtn]=False [GMenu]=True [GPrefix]= [GSuffix]=)
  local kv k
  for kv in "$@"; do v[${kv%%=*}]=${kv#*=}; done
  for k in GLong GUpper GName GExt GFolder GFPattern GFPatternSet GSub GTime GUnc GSize \
    GUnit GDir GBackword GTreeP GTreeF GRepYen GRepSP G1Frtn GMenu GPrefix GSuffix; do
    printf '%s=%s\r\n' "$k" "${v[$k]}"
  done
}

report() {
  echo "$passed passed, $failed failed"
  [ "$failed" -eq 0 ]
}

# slow_folder SOURCE MOUNTPOINT [slowfs options...]: mounts SOURCE read-only at
# MOUNTPOINT through tests/tools/slowfs.py, whose listings take their time (see its
# options), and unmounts it when the script ends. Ends the script with a SKIP where no
# FUSE file system can be mounted (no /dev/fuse, no fusepy, not root).
slow_folder() {
  local source=$1 mountpoint=$2
  shift 2
  if [ ! -c /dev/fuse ] || [ "$(id -u)" -ne 0 ] || ! /usr/bin/python3 -c 'import fusepy' 2>/dev/null; then
    echo "SKIP: no FUSE file system can be mounted here"
    exit 0
  fi
  mkdir -p "$mountpoint"
  # Each mount has its own output file, made before the file system starts, so that
  # "mounted" is read from this one and never from one mounted before.
  local out="$work/slowfs.${#slowfs_pids[@]}.out"
  : >"$out"
  /usr/bin/python3 "$(dirname "${BASH_SOURCE[0]}")/../tools/slowfs.py" "$source" "$mountpoint" "$@" \
    >"$out" 2>&1 &
  slowfs_pids+=("$!")
  slowfs_mounts+=("$mountpoint")
  local i
  for i in $(seq 100); do
    grep -q '^mounted' "$out" && return 0
    sleep 0.05
  done
  echo "slowfs did not mount: $(cat "$out")" >&2
  exit 1
}
slowfs_pids=()
slowfs_mounts=()
# A listing that hangs keeps the file system's process busy: the mount is detached at
# once (lazily), then the process is ended outright.
stop_slow_folders() {
  local m p
  for m in "${slowfs_mounts[@]+"${slowfs_mounts[@]}"}"; do umount -l "$m" 2>/dev/null; done
  for p in "${slowfs_pids[@]+"${slowfs_pids[@]}"}"; do
    kill -9 "$p" 2>/dev/null
    wait "$p" 2>/dev/null
  done
  return 0
}
at_exit+=(stop_slow_folders)
