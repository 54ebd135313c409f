#!/bin/bash
# Builds the fuzz preset (clang, libFuzzer, AddressSanitizer, UBSan, GBK mirror of the sources),
# replays every target's seed corpus, then fuzzes each target for a bounded time, two at a
# time, and prints how many inputs each one ran.
#
#   tools/fuzz.sh [SECONDS]   seconds per target; 600 for a longer campaign (the default),
#                             test-all.sh uses 25
#
# New inputs collect in build/fuzz/corpus/<target>/ and carry over to the next run; the
# committed seeds in tests/fuzz/corpus/ are only read. A finding stops nothing else: its input
# is saved as build/fuzz/artifacts/<target>-crash-*, its log as build/fuzz/logs/<target>.log,
# and the script exits non-zero. Replay one with build/fuzz/tests/fuzz/fuzz_<target> <file>.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-600}
build=${CQP_FUZZ_BUILD_DIR:-build/fuzz}

cmake --preset fuzz -B "$build" >/dev/null
cmake --build "$build" -j2
ctest --test-dir "$build" -L fuzz-seeds -R . --output-on-failure
ctest --test-dir "$build" -R fuzz_gbk_literal_check --output-on-failure

mkdir -p "$build/artifacts" "$build/logs"
targets=$(cd "$build/tests/fuzz" && ls fuzz_* | grep -v -e '\.' -e gbk_literal_check | sed 's/^fuzz_//')

run_one() {
  local build=$1 seconds=$2 target=$3
  mkdir -p "$build/corpus/$target"
  if "$build/tests/fuzz/fuzz_$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
      -print_final_stats=1 -artifact_prefix="$build/artifacts/$target-" \
      "$build/corpus/$target" "tests/fuzz/corpus/$target" >"$build/logs/$target.log" 2>&1; then
    echo "ok $target"
  else
    echo "FAILED $target"
  fi
}
export -f run_one
results=$(printf '%s\n' $targets | xargs -P 2 -I{} bash -c 'run_one "$@"' _ "$build" "$seconds" {})

status=0
printf '%-20s %14s %10s  %s\n' target executions exec/s result
for target in $targets; do
  log="$build/logs/$target.log"
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -1)
  result=$(printf '%s\n' "$results" | awk -v t="$target" '$2 == t { print $1 }')
  printf '%-20s %14s %10s  %s\n' "$target" "${runs:--}" "${rate:--}" "$result"
  if [ "$result" != ok ]; then
    status=1
    echo "---- $log (last lines)"
    tail -n 40 "$log"
  fi
done
exit $status
