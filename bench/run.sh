#!/usr/bin/env bash
# Builds the benchmarks in Release and prints a table, ending with the five figures that
# compare Ornavel with its floor: pure arithmetic for the core, a minimal Qt window for the
# start-up, and an absolute time for one click.
set -euo pipefail
cd "$(dirname "$0")/.."

./scripts/install-deps.sh bench
cmake --preset release -DORNAVEL_BUILD_BENCH=ON >/dev/null
cmake --build --preset release --target ornavel_core_bench ornavel_first_paint bare_qt_first_paint ornavel_click_bench >/dev/null
bin=build/release/bench
export QT_QPA_PLATFORM=offscreen

median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

echo "== core: functions against the bare arithmetic (Google Benchmark, 15 interleaved repetitions)"
core=$("$bin/ornavel_core_bench" 2>/dev/null)
grep -E '_median|vs-floor' <<<"$core"

echo "== start-up to the first painted frame, 15 alternating runs each"
runs=15
: >/tmp/ornavel-bench-times
for i in $(seq "$runs"); do
  for probe in ornavel_first_paint bare_qt_first_paint; do
    start=$EPOCHREALTIME
    rss=$("$bin/$probe" 2>/dev/null | awk '/maxrss_kb/ { print $2 }')
    end=$EPOCHREALTIME
    echo "$probe $(awk -v s="$start" -v e="$end" 'BEGIN { printf "%.3f", (e - s) * 1000 }') $rss" >>/tmp/ornavel-bench-times
  done
done
for probe in ornavel_first_paint bare_qt_first_paint; do
  ms=$(awk -v p="$probe" '$1 == p { print $2 }' /tmp/ornavel-bench-times | median)
  kb=$(awk -v p="$probe" '$1 == p { print $3 }' /tmp/ornavel-bench-times | median)
  printf '%-22s median %8.2f ms   peak RSS %8d kB\n' "$probe" "$ms" "$kb"
  eval "ms_$probe=$ms kb_$probe=$kb"
done

echo "== one Calculate click in the pitot mode"
click=$("$bin/ornavel_click_bench" 2>/dev/null)
head -n 1 <<<"$click"

echo
grep 'core-shock-vs-floor' <<<"$core"
grep 'pitot-worst-vs-floor' <<<"$core"
awk -v a="$ms_ornavel_first_paint" -v b="$ms_bare_qt_first_paint" 'BEGIN { printf "startup-vs-bare-qt: %.3f\n", a / b }'
awk -v a="$kb_ornavel_first_paint" -v b="$kb_bare_qt_first_paint" 'BEGIN { printf "rss-vs-bare-qt: %.3f\n", a / b }'
grep 'click-pitot-median-ms' <<<"$click"
