# Shared by the end-to-end scripts (sourced, never run on its own): the checks and
# their tally, a private work folder, settings folder and runtime folder, the settings
# file, and runs of the program with its output, error output and exit status kept in
# files.

set -u
: "${KIRRAMO_BIN:?KIRRAMO_BIN must name the built kirramo program}"
KIRRAMO_BIN=$(realpath "$KIRRAMO_BIN")
[ -x "$KIRRAMO_BIN" ] || { echo "not a program: $KIRRAMO_BIN" >&2; exit 2; }

passed=0
failed=0
work=$(mktemp -d "${TMPDIR:-/tmp}/kirramo-e2e.XXXXXX")
export XDG_CONFIG_HOME="$work/config"
mkdir -p "$XDG_CONFIG_HOME/kirramo"
settings_file="$XDG_CONFIG_HOME/kirramo/Tolvane.ini"
# A runtime folder of its own, so the single-instance lock of a Kirramo that the user
# (or another test run) has open does not turn these starts away.
export XDG_RUNTIME_DIR="$work/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"

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

# expect_file NAME FILE FORMAT [ARGS...]: FILE holds exactly the bytes that
# printf FORMAT ARGS... makes.
expect_file() {
  local name=$1 file=$2
  shift 2
  # shellcheck disable=SC2059
  printf "$@" >"$work/expected"
  if cmp -s "$work/expected" "$file"; then
    pass
  else
    fail "$name"
    diff <(od -An -c "$work/expected") <(od -An -c "$file") | head -n 20
  fi
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

# settings KEY=VALUE...: writes the settings file, as settings_lines makes it.
settings() { settings_lines "$@" >"$settings_file"; }

no_settings() { rm -f "$settings_file"; }

# x_display TOOL...: ends the script with a SKIP unless Xvfb and the tools are
# installed; then starts a private Xvfb server, stopped by its PID when the script
# ends, and points DISPLAY at it. -noreset keeps the server as it is when its last
# client leaves, so keys held with xdotool stay held for the next one.
x_display() {
  local tool number
  for tool in Xvfb "$@"; do
    if ! command -v "$tool" >/dev/null; then
      echo "SKIP: $tool is not installed"
      report
      exit
    fi
  done
  # Xvfb picks a free display and writes its number to the given descriptor.
  mkfifo "$work/display"
  Xvfb -displayfd 3 -nolisten tcp -noreset -screen 0 1024x768x24 3>"$work/display" 2>/dev/null &
  xvfb_pid=$!
  at_exit+=(stop_xvfb)
  read -r -t 60 number <"$work/display" || { fail "Xvfb did not start"; report; exit; }
  export DISPLAY=":$number"
  unset WAYLAND_DISPLAY
}
stop_xvfb() {
  kill "$xvfb_pid" 2>/dev/null
  wait "$xvfb_pid" 2>/dev/null
}

# run_text ARGS...: runs the program without any display; its output goes to
# $work/out, its error output to $work/err, its exit status to $status. A hang guard
# only: no run comes near the limit.
run_text() {
  status=0
  env -u DISPLAY -u WAYLAND_DISPLAY timeout 120 "$KIRRAMO_BIN" "$@" >"$work/out" 2>"$work/err" ||
    status=$?
}

report() {
  echo "$passed passed, $failed failed"
  [ "$failed" -eq 0 ]
}
