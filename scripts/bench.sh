#!/usr/bin/env bash
# Measures the draw's speed and memory (bench/draw_bench) and the time from
# starting the program to its window on screen (under Xvfb).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
cmake -S "$root" -B "$root/build/release" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$root/build/release" --target draw_bench chaosgame -j"$(nproc)"

echo "== Draw speed and memory, on one core"
taskset -c 1 "$root/build/release/bench/draw_bench" --benchmark_repetitions=3 \
    --benchmark_report_aggregates_only=true --benchmark_color=false "$@"

echo "== Start-up: program start to window on screen, 10 starts"
APP="$root/build/release/chaosgame"
source "$root/tests/e2e/xsession.sh"
trap stop_x EXIT
start_x || exit 1
times=()
for _ in $(seq 10); do
    start_app || exit 1
    times+=("$STARTUP_MS")
    kill "$APP_PID"; wait "$APP_PID" 2>/dev/null || true
done
sorted=$(printf '%s\n' "${times[@]}" | sort -n | tr '\n' ' ')
echo "start-up times (ms): $sorted"
echo "median: $(printf '%s\n' "${times[@]}" | sort -n | sed -n 5p) ms"
