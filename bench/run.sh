#!/usr/bin/env bash
# Builds the benchmarks in Release and prints a table, ending with the figures that compare
# Ornavel with its floor: pure arithmetic for the core, a minimal Qt window for the start-up,
# an absolute time for one click, and a program that only prints the table's numbers.
set -euo pipefail
cd "$(dirname "$0")/.."

./scripts/install-deps.sh bench
cmake --preset release -DORNAVEL_BUILD_BENCH=ON >/dev/null
cmake --build --preset release --parallel "$(nproc)" --target ornavel ornavel_core_bench ornavel_first_paint bare_qt_first_paint \
  ornavel_click_bench ornavel_table_floor ornavel_table_window_bench >/dev/null
bin=build/release/bench
export QT_QPA_PLATFORM=offscreen

# The release before the tables and the whole-digit boxes, built from its own work tree, so
# that the window's figures are compared with it in the same run (ORNAVEL_BASELINE=none skips).
baseline=${ORNAVEL_BASELINE:-5bd79a0}
base=""
if [ "$baseline" != none ]; then
  src=build/baseline-$baseline-src
  [ -d "$src" ] || git worktree add --detach --quiet "$src" "$baseline"
  cmake -S "$src" -B "build/baseline-$baseline" -DCMAKE_BUILD_TYPE=Release -DORNAVEL_BUILD_BENCH=ON >/dev/null
  cmake --build "build/baseline-$baseline" --parallel "$(nproc)" --target ornavel_first_paint ornavel_click_bench >/dev/null
  base=build/baseline-$baseline/bench
fi

median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

echo "== core: functions against the bare arithmetic (Google Benchmark, 15 interleaved repetitions)"
core=$("$bin/ornavel_core_bench" 2>/dev/null)
grep -E '_median|vs-floor' <<<"$core"

echo "== start-up to the first painted frame, 15 alternating runs each"
runs=15
: >/tmp/ornavel-bench-times
probes="ornavel_first_paint bare_qt_first_paint${base:+ baseline_first_paint}"
for i in $(seq "$runs"); do
  for probe in $probes; do
    exe=$bin/$probe
    [ "$probe" = baseline_first_paint ] && exe=$base/ornavel_first_paint
    start=$EPOCHREALTIME
    rss=$("$exe" 2>/dev/null | awk '/maxrss_kb/ { print $2 }')
    end=$EPOCHREALTIME
    echo "$probe $(awk -v s="$start" -v e="$end" 'BEGIN { printf "%.3f", (e - s) * 1000 }') $rss" >>/tmp/ornavel-bench-times
  done
done
for probe in $probes; do
  ms=$(awk -v p="$probe" '$1 == p { print $2 }' /tmp/ornavel-bench-times | median)
  kb=$(awk -v p="$probe" '$1 == p { print $3 }' /tmp/ornavel-bench-times | median)
  printf '%-22s median %8.2f ms   peak RSS %8d kB\n' "$probe" "$ms" "$kb"
  eval "ms_$probe=$ms kb_$probe=$kb"
done

echo "== one Calculate click in the pitot mode${base:+, against $baseline, 5 alternating runs each}"
click=$("$bin/ornavel_click_bench" 2>/dev/null)
head -n 1 <<<"$click"
if [ -n "$base" ]; then
  : >/tmp/ornavel-bench-clicks
  for i in $(seq 5); do
    echo "today $("$bin/ornavel_click_bench" 2>/dev/null | awk '/median-ms/ { print $2 }')" >>/tmp/ornavel-bench-clicks
    echo "baseline $("$base/ornavel_click_bench" 2>/dev/null | awk '/median-ms/ { print $2 }')" >>/tmp/ornavel-bench-clicks
  done
  click_today=$(awk '$1 == "today" { print $2 }' /tmp/ornavel-bench-clicks | median)
  click_base=$(awk '$1 == "baseline" { print $2 }' /tmp/ornavel-bench-clicks | median)
  printf 'click median of medians: today %.3f ms, %s %.3f ms\n' "$click_today" "$baseline" "$click_base"
fi

echo "== a table of 1,000,001 CSV rows to /dev/null, 7 alternating runs each"
range=1:10:0.000009
elapsed() { local start=$EPOCHREALTIME; "$@" >/dev/null; awk -v s="$start" -v e="$EPOCHREALTIME" 'BEGIN { printf "%.4f\n", e - s }'; }
: >/tmp/ornavel-bench-table
for i in $(seq 7); do
  echo "table $(elapsed build/release/app/ornavel table M1 "$range" --format csv)" >>/tmp/ornavel-bench-table
  echo "floor $(elapsed "$bin/ornavel_table_floor" "$range")" >>/tmp/ornavel-bench-table
done
table_s=$(awk '$1 == "table" { print $2 }' /tmp/ornavel-bench-table | median)
floor_s=$(awk '$1 == "floor" { print $2 }' /tmp/ornavel-bench-table | median)
peak() { /usr/bin/time -f %M build/release/app/ornavel table M1 "$1" --format csv 2>&1 >/dev/null; }
rss_small=$(peak 1:10:1)
rss_large=$(peak 1:10:0.000009)
printf 'ornavel table     median %8.3f s   %9.0f rows/s\n' "$table_s" "$(awk -v t="$table_s" 'BEGIN { print 1000001 / t }')"
printf 'floor             median %8.3f s\n' "$floor_s"
echo "peak RSS: 10 rows $rss_small kB, 1000001 rows $rss_large kB"

echo "== table rows from each measured ratio and of each other relation against rows from M1, 7 alternating runs each"
# Ranges of 100,001 values of each ratio whose M1 spans about 1 to 5, and the same count of M1;
# then about 100,000 rows of the other relations: isentropic rows from M, the probe's from its
# reading, oblique rows from M1 and a deflection.
: >/tmp/ornavel-bench-inverse
for i in $(seq 7); do
  for run in "M1 1:5:0.00004" "P2/P1 1:29:0.00028" "rho2/rho1 1:5:0.00004" "T2/T1 1:5.8:0.000048" \
    "Po2/Po1 0.06:1:0.0000094" "isentropic M 0.1:40:0.000399" "pitot Po2/P1 1:40:0.00039" \
    "oblique M1 1.5:5:0.00035 theta 0:9:1"; do
    set -- $run
    echo "$1 $(elapsed build/release/app/ornavel table "$@" --format csv)" >>/tmp/ornavel-bench-inverse
  done
done
m1_s=$(awk '$1 == "M1" { print $2 }' /tmp/ornavel-bench-inverse | median)

echo "== table rows for a gas at gamma = 1.3 against air's, 7 alternating runs each"
: >/tmp/ornavel-bench-gamma
for i in $(seq 7); do
  echo "air $(elapsed build/release/app/ornavel table M1 1:5:0.00004 --format csv)" >>/tmp/ornavel-bench-gamma
  echo "gas $(elapsed build/release/app/ornavel table M1 1:5:0.00004 --gamma 1.3 --format csv)" >>/tmp/ornavel-bench-gamma
done
air_s=$(awk '$1 == "air" { print $2 }' /tmp/ornavel-bench-gamma | median)
gas_s=$(awk '$1 == "gas" { print $2 }' /tmp/ornavel-bench-gamma | median)

echo "== the Tables window: 10 million rows opened, 1,000,001 rows saved as CSV, the chart redrawn, 2 million readings opened"
window=$("$bin/ornavel_table_window_bench" 2>/dev/null)
echo "$window"
: >/tmp/ornavel-bench-save
for i in $(seq 5); do
  echo "window $("$bin/ornavel_table_window_bench" 2>/dev/null | awk '/save-1M-s/ { print $2 }')" >>/tmp/ornavel-bench-save
  start=$EPOCHREALTIME
  build/release/app/ornavel table M1 "$range" --format csv >/tmp/ornavel-bench-save.csv
  echo "cli $(awk -v s="$start" -v e="$EPOCHREALTIME" 'BEGIN { printf "%.4f", e - s }')" >>/tmp/ornavel-bench-save
done
rm -f /tmp/ornavel-bench-save.csv
save_window=$(awk '$1 == "window" { print $2 }' /tmp/ornavel-bench-save | median)
save_cli=$(awk '$1 == "cli" { print $2 }' /tmp/ornavel-bench-save | median)

echo
grep 'core-shock-vs-floor' <<<"$core"
grep 'pitot-worst-vs-floor' <<<"$core"
awk -v a="$ms_ornavel_first_paint" -v b="$ms_bare_qt_first_paint" 'BEGIN { printf "startup-vs-bare-qt: %.3f\n", a / b }'
awk -v a="$kb_ornavel_first_paint" -v b="$kb_bare_qt_first_paint" 'BEGIN { printf "rss-vs-bare-qt: %.3f\n", a / b }'
grep 'click-pitot-median-ms' <<<"$click"
if [ -n "$base" ]; then
  awk -v a="$ms_baseline_first_paint" -v b="$ms_bare_qt_first_paint" -v n="$baseline" 'BEGIN { printf "startup-vs-bare-qt-%s: %.3f\n", n, a / b }'
  awk -v a="$kb_baseline_first_paint" -v b="$kb_bare_qt_first_paint" -v n="$baseline" 'BEGIN { printf "rss-vs-bare-qt-%s: %.3f\n", n, a / b }'
  echo "click-pitot-median-ms-$baseline: $click_base"
  awk -v a="$click_today" -v b="$click_base" -v n="$baseline" 'BEGIN { printf "click-vs-%s: %.3f\n", n, a / b }'
fi
awk -v a="$table_s" -v b="$floor_s" 'BEGIN { printf "table-rows-vs-floor: %.3f\n", a / b }'
awk -v a="$table_s" 'BEGIN { printf "table-rows-per-second: %.0f\n", 1000001 / a }'
awk -v a="$rss_large" -v b="$rss_small" 'BEGIN { printf "table-rss-growth-kb: %d\n", a - b }'
grep -E 'table-window-open-10M-ms|table-window-rss-growth-kb|chart-redraw-ms|open-readings-2M-s|open-readings-bytes-per-reading' <<<"$window"
awk -v a="$save_window" -v b="$save_cli" 'BEGIN { printf "table-window-save-vs-cli: %.3f\n", a / b }'
for quantity in P2/P1 rho2/rho1 T2/T1 Po2/Po1; do
  s=$(awk -v q="$quantity" '$1 == q { print $2 }' /tmp/ornavel-bench-inverse | median)
  awk -v q="$quantity" -v a="$s" -v b="$m1_s" 'BEGIN { gsub("/", "", q); printf "inverse-%s-vs-M1-row: %.3f\n", q, a / b }'
done
awk -v a="$gas_s" -v b="$air_s" 'BEGIN { printf "gamma-row-vs-1.4-row: %.3f\n", a / b }'
for relation in isentropic pitot oblique; do
  s=$(awk -v r="$relation" '$1 == r { print $2 }' /tmp/ornavel-bench-inverse | median)
  awk -v r="$relation" -v a="$s" -v b="$m1_s" 'BEGIN { printf "%s-row-vs-M1-row: %.3f\n", r, a / b }'
done
grep -E 'theta-beta-chart-ms' <<<"$window"
