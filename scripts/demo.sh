#!/usr/bin/env bash
# Tries Ombrex without a logger: starts the virtual Hyetra (hyetra-sim) as a
# "Hyetra 2.0 (USB)" on COM1, runs Ombrex, and stops the virtual logger when Ombrex ends.
#
#   scripts/demo.sh [BUILD_DIR] [hyetra-sim options...]
#
# BUILD_DIR defaults to ./build; further options go to hyetra-sim and override the defaults
# (for example --model 1 --version 114 for the classic serial logger, or --fault wrong-crc).
# At Ombrex's first start answer Yes to "Do you have a USB based Hyetra 2.0?" (with --model 1
# answer No); later the model can be changed under "Logger Version". Auto Detect then finds
# the logger on COM1.
# The port (default 1) can be chosen with OMBREX_DEMO_PORT. The virtual logger keeps its name,
# clock and memory in ${XDG_STATE_HOME:-~/.local/state}/ombrex-demo/logger.json and logs the
# exchange to exchange.log beside it (delete logger.json, or pass --records N, for a fresh
# memory after a clearing). Without a display Ombrex runs under xvfb-run.
set -euo pipefail

build_dir=${1:-build}
[ $# -gt 0 ] && shift
sim="$build_dir/bin/hyetra-sim"
ombrex="$build_dir/bin/ombrex"
port=${OMBREX_DEMO_PORT:-1}

for program in "$sim" "$ombrex"; do
    if [ ! -x "$program" ]; then
        echo "demo: $program not found; build first (cmake --build $build_dir)" >&2
        exit 1
    fi
done

state_dir="${XDG_STATE_HOME:-$HOME/.local/state}/ombrex-demo"
mkdir -p "$state_dir"
sim_output=$(mktemp "${TMPDIR:-/tmp}/ombrex-demo.XXXXXX")

"$sim" --port "$port" --model 2 --version 225 \
    --state "$state_dir/logger.json" --log "$state_dir/exchange.log" "$@" >"$sim_output" 2>&1 &
sim_pid=$!

stop_sim() {
    if kill -0 "$sim_pid" 2>/dev/null; then
        kill -TERM "$sim_pid" 2>/dev/null || true
        wait "$sim_pid" 2>/dev/null || true
    fi
    tail -n +2 "$sim_output"
    rm -f "$sim_output"
}
trap stop_sim EXIT
trap 'exit 130' INT TERM

# Wait until the virtual logger says where it is attached.
for _ in $(seq 1 50); do
    grep -q "attached as" "$sim_output" && break
    if ! kill -0 "$sim_pid" 2>/dev/null; then
        cat "$sim_output" >&2
        exit 1
    fi
    sleep 0.1
done
head -n 1 "$sim_output"
echo "demo: starting Ombrex; answer Yes at the question about the USB based Hyetra 2.0"

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    xvfb-run -a -s "-screen 0 1366x768x24" "$ombrex"
else
    "$ombrex"
fi
