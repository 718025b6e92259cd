#!/usr/bin/env bash
# Builds the libFuzzer targets (with ASan and UBSan) with clang++ into build-fuzz/ (or
# $KIRRAMO_FUZZ_BUILD) and runs each for a short time ($KIRRAMO_FUZZ_SECONDS, default
# 20), starting from the seeds in fuzz/corpus. Exits non-zero when a target fails; the
# failing input is left in the build folder as crash-* (or leak-*, timeout-*).
#
# Usage: scripts/fuzz.sh [--long]
#   --long   ten minutes per target, the targets side by side (not part of the tests)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${KIRRAMO_FUZZ_BUILD:-$root/build-fuzz}
seconds=${KIRRAMO_FUZZ_SECONDS:-20}
long=0
if [ "${1:-}" = --long ]; then
  long=1
  seconds=600
fi

if ! command -v clang++ >/dev/null; then
  echo "fuzz.sh: clang++ is not installed (scripts/deps.sh test installs it)" >&2
  exit 1
fi
if [ ! -f "$build/build.ninja" ]; then
  cmake -S "$root/fuzz" -B "$build" -G Ninja -DCMAKE_CXX_COMPILER=clang++ >&2
fi
cmake --build "$build" -j2 >&2

# Runs one target; its summary line or its failure goes to standard output.
fuzz_one() {
  local target=$1
  local exe="$build/fuzz_$target"
  local corpus="$build/corpus/$target"
  local log="$build/fuzz_$target.log"
  mkdir -p "$corpus"
  # New inputs go into the build folder's corpus; the seeds in the tree stay as they are.
  if "$exe" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
       -artifact_prefix="$build/" "$corpus" "$root/fuzz/corpus/$target" >"$log" 2>&1; then
    echo "fuzz_$target: $(grep -E '^(Done [0-9]+ runs|#[0-9]+.*DONE)' "$log" | tail -n1)"
  else
    echo "fuzz_$target FAILED (log: $log)"
    tail -n 40 "$log"
    return 1
  fi
}

status=0
targets=(settings command_line tree_output)
if [ $long -eq 1 ]; then
  pids=()
  for target in "${targets[@]}"; do
    fuzz_one "$target" > "$build/fuzz_$target.summary" &
    pids+=($!)
  done
  for i in "${!pids[@]}"; do
    wait "${pids[$i]}" || status=1
    cat "$build/fuzz_${targets[$i]}.summary"
  done
else
  for target in "${targets[@]}"; do
    fuzz_one "$target" || status=1
  done
fi
exit $status
