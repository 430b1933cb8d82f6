#!/usr/bin/env bash
# Runs every fuzz program of a ZR_FUZZ build for a while each: the corpus grows under the build
# folder (seeded from fuzz/seeds, the built seeds and the regressions), crashes are kept in
# <build>/crashes/<target>/. Exits 1 listing the reproducers when any target found one.
set -uo pipefail
build=${1:?usage: fuzz/run.sh BUILD_DIR [SECONDS]}
seconds=${2:-120}
top=$(cd "$(dirname "$0")/.." && pwd)
cmake --build "$build" -j"${JOBS:-2}" --target fuzz_programs || exit 2

found=()
for program in "$build"/bin/fuzz_*; do
    target=${program##*/fuzz_}
    corpus=$build/corpus/$target
    crashes=$build/crashes/$target
    mkdir -p "$corpus" "$crashes"
    options=(-max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1
             -artifact_prefix="$crashes/")
    [ -f "$top/fuzz/dicts/$target.dict" ] && options+=(-dict="$top/fuzz/dicts/$target.dict")
    inputs=("$corpus")
    for extra in "$top/fuzz/seeds/$target" "$build/fuzz-seeds/$target" \
                 "$top/tests/fuzz-regressions/$target"; do
        [ -d "$extra" ] && inputs+=("$extra")
    done
    echo "== fuzz $target for ${seconds}s"
    ASAN_OPTIONS=detect_leaks=1 "$program" "${options[@]}" "${inputs[@]}" 2>"$build/$target.log"
    grep -E '^stat::(number_of_executed_units|average_exec_per_sec|new_units_added)' \
        "$build/$target.log" | sed "s/^/   /"
    for crash in "$crashes"/*; do
        [ -f "$crash" ] && found+=("$crash")
    done
done
if [ ${#found[@]} -gt 0 ]; then
    echo "fuzz: reproducers found (replay one with <build>/bin/fuzz_<target> FILE):"
    printf '  %s\n' "${found[@]}"
    exit 1
fi
echo "fuzz: nothing found"
