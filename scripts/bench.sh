#!/usr/bin/env bash
# Measures the draw's speed and memory (bench/draw_bench), the time from
# starting the program to its window on screen, the CPU time of long draws in
# the real window (under Xvfb) against the floor kernel, and the browser
# edition's draw in Chromium, Firefox and WebKit against the native draw.
# `bench.sh web [RATIO]` measures the browser edition alone, its engines at the
# device pixel ratio RATIO (1 unless given); any other arguments go to
# draw_bench (--ratio=2: its draws at the density of a screen of ratio 2).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
web_only=false
ratio=1
if [ "${1:-}" = web ]; then
    web_only=true
    shift
    if [[ "${1:-}" =~ ^[0-9]+(\.[0-9]+)?$ ]]; then
        ratio=$1
        shift
    fi
fi
"$root/scripts/install-deps.sh" web
cmake -S "$root" -B "$root/build/release" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$root/build/release" --target draw_bench chaosgame -j"$(nproc)"

# The browser edition: the page's draw in each engine (headless Chromium,
# Firefox and WebKit in windows on an Xvfb display of their own), against the
# native program's draw on this machine in the same run. Neither is pinned to
# a core: the engines compile the module's optimised code on other threads.
browser_edition() {
    echo "== Browser edition: the page's draw in Chromium, Firefox and WebKit against the native draw (device pixel ratio $ratio)"
    "$root/scripts/web.sh" >/dev/null
    # The benchmark page reads and sets the window with the tests' module.
    cmake --build "$root/build/wasm" --target chaosgame_test_module -j"$(nproc)" >/dev/null
    local page=$root/build/web/draw_bench.html results engine
    python3 "$root/scripts/assemble-page.py" "$root/bench/web/draw_bench.html" \
        "$root/build/wasm/chaosgame_test.js" "$page"
    results=$(env -u DISPLAY /usr/bin/python3 "$root/bench/web_draw_bench.py" --ratio="$ratio" "$page" \
        "$root/build/release/bench/draw_bench" 5 11 "$root/build/web/chaosgame.html" chromium firefox webkit)
    echo "$results" | grep -v =
    for engine in chromium firefox webkit; do
        echo "$results" | grep -q "^$engine\." || continue
        get() { echo "$results" | sed -n "s/^$engine\.$1=//p"; }
        echo "-- $engine (WebAssembly SIMD: $([ "$(get simd)" = 1 ] && echo yes || echo no))"
        printf "%-28s %10s %10s\n" "1e8 dots" "M dots/s" "/ native"
        for way in simd128_straight simd128_sliced portable_straight portable_sliced; do
            awk -v w="$way" -v s="$(get $way)" -v r="$(get ${way}_ratio)" \
                'BEGIN { printf "%-28s %10.1f %9.2fx\n", "page, " w, s / 1e6, r }'
        done
        awk -v s="$(get real_page)" -v r="$(get real_page_ratio)" \
            'BEGIN { printf "%-28s %10.1f %9.2fx\n", "the program'"'"'s page", s / 1e6, r }'
        awk -v n="$(get native)" 'BEGIN { printf "%-28s %10.1f %9.2fx\n", "native draw", n / 1e6, 1 }'
        echo "right press to 10000 dots on the canvas: $(get press_ms) ms on the benchmark page" \
            "(next animation frame $(get press_frame_ms) ms), $(get real_page_press_ms) ms on the program's page"
        awk -v r="$(get real_page_ratio)" -v p="$(get real_page_press_ms)" 'BEGIN {
            printf "targets on the program'"'"'s page: at least half the native speed (%.2fx): %s; " \
                   "10000 dots within 16 ms of the press (%.1f ms): %s\n", r, (r >= 0.5 ? "met" : "NOT met"),
                   p, (p <= 16 ? "met" : "NOT met") }'
    done
    local cores
    cores=$(nproc)
    echo "== Browser edition on every core: the page's own thread alone against $cores workers, medians of five"
    env -u DISPLAY /usr/bin/python3 "$root/bench/web_cores_bench.py" "$page" "$root/build/release/bench/draw_bench" \
        5 "$cores" chromium firefox webkit | grep -v =
}
if $web_only; then
    browser_edition
    exit 0
fi

echo "== Draw speed and memory, on one core"
taskset -c 1 "$root/build/release/bench/draw_bench" --benchmark_repetitions=3 \
    --benchmark_report_aggregates_only=true --benchmark_color=false "$@"

cores=$(nproc)
echo "== Draw speed on every core: 1 core against $cores in turn, five rounds"
/usr/bin/python3 "$root/bench/cores_bench.py" "$root/build/release/bench/draw_bench" 5 "$cores"

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

# The program's main thread's CPU time in nanoseconds (it runs every draw).
cpu_ns() { cut -d' ' -f1 "/proc/$APP_PID/schedstat"; }
# Right-clicks and waits until the program's CPU time stops rising; prints
# the CPU time the draw took, in milliseconds.
draw_cpu_ms() {
    local before after last
    before=$(cpu_ns)
    click_at 300 300 3
    last=$before
    for _ in $(seq 400); do
        sleep 0.1
        after=$(cpu_ns)
        [ "$after" = "$last" ] && [ "$after" != "$before" ] && break
        last=$after
    done
    echo $(( (after - before) / 1000000 ))
}
# Sets the count box and places a triangle of anchors.
prepare_draw() {
    click_at $((592 + 40)) $((40 + 10)) 1
    xdotool key ctrl+a
    xdotool type --delay 5 "$1"
    for p in "69 437" "509 437" "289 57"; do
        click_at ${p% *} ${p#* } 1
    done
}

echo "== Real window: CPU time of a draw after the right-click, 3 draws each"
start_app || exit 1
for count in 200000000 2147483647; do
    runs=()
    for _ in 1 2 3; do
        prepare_draw "$count"
        runs+=("$(draw_cpu_ms)")
    done
    median=$(printf '%s\n' "${runs[@]}" | sort -n | sed -n 2p)
    echo "$count dots: ${runs[*]} ms (median $median ms)"
    [ "$count" = 200000000 ] && window_ms=$median
done
kill "$APP_PID"; wait "$APP_PID" 2>/dev/null || true

floor_ms=$(taskset -c 1 "$root/build/release/bench/draw_bench" --benchmark_filter='^Floor/100000000/' \
    --benchmark_repetitions=3 --benchmark_report_aggregates_only=true --benchmark_color=false 2>/dev/null |
    awk '/_median/ { print $2 * 2 }')
echo "floor kernel, 200000000 dots (twice its 1e8 median): ${floor_ms} ms"
awk -v w="$window_ms" -v f="$floor_ms" 'BEGIN { printf "real window against the floor kernel: %.2fx\n", f / w }'

browser_edition
