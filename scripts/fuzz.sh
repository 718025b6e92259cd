#!/usr/bin/env bash
# Builds the libFuzzer targets with clang++ into build-fuzz/ (or $KIRRAMO_FUZZ_BUILD)
# and runs each for a short time ($KIRRAMO_FUZZ_SECONDS, default 20), starting from
# the seeds in fuzz/corpus. Exits non-zero when a target fails; the failing input is
# left in the build folder as crash-* (or leak-*, timeout-*).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${KIRRAMO_FUZZ_BUILD:-$root/build-fuzz}
seconds=${KIRRAMO_FUZZ_SECONDS:-20}

if ! command -v clang++ >/dev/null; then
  echo "fuzz.sh: clang++ is not installed (scripts/deps.sh test installs it)" >&2
  exit 1
fi
if [ ! -f "$build/build.ninja" ]; then
  cmake -S "$root/fuzz" -B "$build" -G Ninja -DCMAKE_CXX_COMPILER=clang++ >&2
fi
cmake --build "$build" -j2 >&2

status=0
for target in settings command_line tree_output; do
  exe="$build/fuzz_$target"
  corpus="$build/corpus/$target"
  log="$build/fuzz_$target.log"
  mkdir -p "$corpus"
  # New inputs go into the build folder's corpus; the seeds in the tree stay as they are.
  if "$exe" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
       -artifact_prefix="$build/" "$corpus" "$root/fuzz/corpus/$target" >"$log" 2>&1; then
    echo "fuzz_$target: $(grep -E '^Done [0-9]+ runs' "$log" | tail -n1)"
  else
    echo "fuzz_$target FAILED (log: $log)"
    tail -n 40 "$log"
    status=1
  fi
done
exit $status
