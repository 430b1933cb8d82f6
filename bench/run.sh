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
# The Python package's read loop against the C loop, with Debian's interpreter (its numpy).
python=/usr/bin/python3
[ -x "$python" ] || python=python3
if [ -f "$build/lib/zrlmv_bench_read_loop.so" ] && "$python" -c "import numpy" 2>/dev/null; then
    echo "== bench_read_image.py"
    "$python" "$(dirname "$0")/python/bench_read_image.py" "$build"
    ran=1
fi
[ $ran -eq 1 ] || echo "no benchmarks built yet"
