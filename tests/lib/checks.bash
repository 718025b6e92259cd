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
