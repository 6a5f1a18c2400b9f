#!/usr/bin/env bash
# Replays the kept inputs of each fuzz target (seeds, and any crasher found: add it there),
# then fuzzes it for a while from them. Usage: fuzz/run.sh BUILD_DIR SECONDS. A crash leaves its input in the work folder.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
bin=$1
seconds=${2:-30}
work=$(mktemp -d)

passed=0 failed=0
for target in parse number_text core; do
  inputs=$here/inputs/$target
  corpus=$work/$target
  mkdir -p "$corpus"
  if "$bin/fuzz_$target" -runs=0 "$inputs" >"$work/$target.replay.log" 2>&1 \
      && "$bin/fuzz_$target" -max_total_time="$seconds" -print_final_stats=1 -artifact_prefix="$work/$target-" \
           "$corpus" "$inputs" >"$work/$target.log" 2>&1; then
    runs=$(awk '/stat::number_of_executed_units/ { print $2 }' "$work/$target.log")
    echo "fuzz_$target: $runs runs, no failure"
    passed=$((passed + 1))
  else
    echo "fuzz_$target: FAILED; the log and the crashing input are in $work"
    tail -n 30 "$work/$target.log" "$work/$target.replay.log" 2>/dev/null
    failed=$((failed + 1))
  fi
done
[ "$failed" -eq 0 ] && rm -rf "$work"
echo "fuzz: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
