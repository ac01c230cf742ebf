#!/bin/sh
# The step's threads measured in one sitting: NEW is a build folder of this tree
# with the benchmarks, OLD (optional) one of the code to compare with. Each part
# runs on free cores and again with one core kept busy by a spinning process
# that this script starts; the load before each part is printed, the figures go
# to stdout.
# Usage: scripts/thread-bench.sh NEW [OLD]
set -u
new=$1
old=${2:-}
say() { printf '\n## %s (load: %s)\n' "$1" "$(cut -d' ' -f1-3 /proc/loadavg)"; }
spinner=
busy() { sh -c 'while :; do :; done' & spinner=$!; sleep 0.2; }
free() { [ -n "$spinner" ] && kill "$spinner" && wait "$spinner" 2>/dev/null; spinner=; }
trap free EXIT
counts='1000|2000|5000|10000'
# The fast step's rows on the kernel that the step takes on this machine (the
# benchmark's kernel numbers: 1 avx2, 2 avx512), as the tool and the window do.
kernel=1
"$new/driftmote-sim" --num 64 --frames 1 --bench 2>/dev/null | grep -q '^kernel: avx512' && kernel=2
steps="BM_FastStep/($counts)/$kernel/[12]/|BM_DividerCeiling/$kernel|BM_TwoStepsAtOnce"
for load in free busy; do
  for build in $old $new; do
    [ "$load" = busy ] && busy
    say "$build, $load: fast step (kernel $kernel), one and two threads, beside the divider's ceiling"
    "$build/driftmote-fast-bench" --benchmark_filter="$steps" --benchmark_min_time=1 2>/dev/null | grep -E '^BM_'
    say "$build, $load: driftmote-sim --bench (automatic, then one thread where the build takes DRIFTMOTE_THREADS; three runs below 5000, as one of 300 frames takes a second or less)"
    ways=auto
    "$build/driftmote-sim" --help | grep -q DRIFTMOTE_THREADS && ways='auto 1'
    for n in 1000 2000 5000 10000; do
      frames=300 runs=3
      [ "$n" -ge 5000 ] && frames=60 runs=1
      for run in $(seq "$runs"); do
        for way in $ways; do
          printf '%s %s' "$n" "$frames"
          [ "$way" = 1 ] && printf ' one thread'
          printf ': '
          DRIFTMOTE_THREADS=$way "$build/driftmote-sim" --num "$n" --frames "$frames" --bench | tr '\n' ' '
          echo
        done
      done
    done
    say "$build, $load: the tool's session, one, two and automatic threads"
    "$build/driftmote-fast-bench" --benchmark_filter='BM_ToolRun' 2>/dev/null | grep -E '^BM_'
    say "$build, $load: window frames"
    "$build/driftmote-frame-bench" --benchmark_filter='BM_Frame/(1000|2000|5000)|BM_PacedFrame' --benchmark_min_time=0.5 2>/dev/null | grep -E '^BM_'
    free
  done
done
say "$new: one, all and automatic threads in turn (the benchmark starts its own busy process)"
"$new/driftmote-fast-bench" --benchmark_filter="BM_ThreadsInTurn" 2>/dev/null | grep -E '^BM_'
say done
