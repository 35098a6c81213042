#!/usr/bin/env bash
# Builds the optimised build, runs every benchmark in bench/ on its generated workload and
# prints each figure against its peer or limit measured in the same run.
# Usage: scripts/bench.sh [build folder]. Results (JSON and console) go to <build>/bench-results.
set -uo pipefail
cd "$(dirname "$0")/.."
BUILD=${1:-build}
JOBS=${JOBS:-2}

cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null || exit 1
cmake --build "$BUILD" -j "$JOBS" || exit 1

results="$BUILD/bench-results"
mkdir -p "$results"
rm -f "$results"/bench_*.json "$results"/bench_*.txt
export QT_QPA_PLATFORM=offscreen
for b in "$BUILD"/bin/bench_*; do
    name=$(basename "$b")
    start=$SECONDS
    "$b" --benchmark_out="$results/$name.json" --benchmark_out_format=json \
        >"$results/$name.txt" 2>&1
    rc=$?
    echo "== $name: $((SECONDS - start)) s$([ $rc -eq 0 ] || echo ", exit $rc (see $results/$name.txt)")"
done
echo
python3 bench/BenchFigures.py "$results"
