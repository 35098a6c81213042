#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each one for SECONDS (default 5: a smoke run)
# from its committed seeds. New inputs go to a scratch folder, never into fuzz/corpus.
# Usage: scripts/fuzz.sh [SECONDS] [TARGET...]   Figures: <build>/fuzz-runs/<target>.log
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-5}
shift || true
build=${FUZZ_BUILD:-build-fuzz}

CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DOMBREX_FUZZ=ON -DOMBREX_TESTS=OFF -DOMBREX_BENCH=OFF >/dev/null
cmake --build "$build" -j "$(nproc)" --target ombrex_fuzzers

targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=($(ls fuzz/corpus))
runs="$build/fuzz-runs"
mkdir -p "$runs"
failed=()
for t in "${targets[@]}"; do
    scratch="$runs/$t.corpus"
    mkdir -p "$scratch"
    log="$runs/$t.log"
    if ASAN_OPTIONS=detect_leaks=0 QT_QPA_PLATFORM=offscreen "$build/fuzz/$t" \
        -max_total_time="$seconds" -timeout=20 -rss_limit_mb=2048 -print_final_stats=1 \
        -artifact_prefix="$runs/$t-" "$scratch" "fuzz/corpus/$t" >"$log" 2>&1; then
        execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
        echo "$t: ok, $execs executions in ${seconds} s"
    else
        echo "$t: FAILED (see $log)"
        tail -n 30 "$log"
        failed+=("$t")
    fi
done
[ ${#failed[@]} -eq 0 ] || { echo "fuzz targets that failed: ${failed[*]}"; exit 1; }
