#!/usr/bin/env bash
# Runs every benchmark program of a build folder. Each reports its figures as ratios against a
# baseline measured in the same run.
set -euo pipefail
build=${1:-build/release}
shopt -s nullglob
ran=0
for b in "$build"/bin/bench_*; do
    echo "== $(basename "$b")"
    "$b" --benchmark_counters_tabular=true
    ran=1
done
[ $ran -eq 1 ] || echo "no benchmarks built yet"
