#!/usr/bin/env bash
# The makefile generators against their baseline, all measured in one run:
# the median time of each over a few repetitions and its ratio to
# BM_ConcatenateDependencies (the goal is 3x or less). It prints and does
# not fail: a shared machine's timings are too noisy for a gate.
#
#   bench/makefile_ratios.sh [BUILD_DIR] [REPETITIONS]
set -euo pipefail
bench="${1:-build}/bench/zelvan_bench"
repetitions="${2:-5}"
if [ ! -x "$bench" ]; then
  echo "no $bench (benchmarks not built): nothing measured"
  exit 0
fi
"$bench" --benchmark_filter='^BM_(ConcatenateDependencies|GenerateKmakeText|GenerateGnuText|CompileCommands)$' \
  --benchmark_repetitions="$repetitions" --benchmark_report_aggregates_only=true \
  --benchmark_format=csv 2>/dev/null |
  awk -F, '
    $1 ~ /_median"?$/ {
      name = $1; gsub(/"/, "", name); sub(/_median$/, "", name)
      order[++n] = name; real[name] = $3; cpu[name] = $4
    }
    END {
      base = "BM_ConcatenateDependencies"
      if (!(base in real) || real[base] <= 0 || cpu[base] <= 0) { print "no baseline measured"; exit 0 }
      printf "%-28s %10s %10s %10s %10s\n", "median of '"$repetitions"'", "real ms", "cpu ms", "x real", "x cpu"
      for (i = 1; i <= n; ++i) {
        name = order[i]
        note = (name != base && cpu[name] / cpu[base] > 3) ? "  (goal: 3x)" : ""
        printf "%-28s %10.1f %10.1f %10.2f %10.2f%s\n", name, real[name], cpu[name],
               real[name] / real[base], cpu[name] / cpu[base], note
      }
    }'
