#!/bin/sh
# The step's threads measured in one sitting: NEW is a build folder of this tree
# with the benchmarks, OLD (optional) one of the code to compare with. Prints the
# load before and after each part; the figures go to stdout.
# Usage: scripts/thread-bench.sh NEW [OLD]
set -u
new=$1
old=${2:-}
say() { printf '\n## %s (load: %s)\n' "$1" "$(cut -d' ' -f1-3 /proc/loadavg)"; }
counts='1000|2000|5000|10000'
steps="BM_FastStep/($counts)/2/[12]/|BM_DividerCeiling"
for build in $old $new; do
  say "$build: fast step, one and two threads, beside the divider's ceiling"
  "$build/driftmote-fast-bench" --benchmark_filter="$steps" --benchmark_min_time=0.5 2>/dev/null | grep -E '^BM_'
done
say "$new: one, two and automatic threads in turn, free cores and one core busy"
"$new/driftmote-fast-bench" --benchmark_filter="BM_TwoThreadSpeedup/($counts)/" 2>/dev/null | grep -E '^BM_'
say "$new: the tool's run of 300 frames"
"$new/driftmote-fast-bench" --benchmark_filter='BM_ToolRun' 2>/dev/null | grep -E '^BM_'
for build in $old $new; do
  say "$build: driftmote-sim --bench (automatic)"
  for n in 1000 2000 5000 10000; do
    frames=300
    [ "$n" -ge 5000 ] && frames=60
    printf '%s %s: ' "$n" "$frames"
    "$build/driftmote-sim" --num "$n" --frames "$frames" --bench | tr '\n' ' '
    echo
  done
done
for build in $old $new; do
  say "$build: window frames"
  "$build/driftmote-frame-bench" --benchmark_filter='BM_Frame/(1000|2000|5000)|BM_PacedFrame' --benchmark_min_time=0.3 2>/dev/null | grep -E '^BM_'
done
say done
