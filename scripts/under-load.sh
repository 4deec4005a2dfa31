#!/usr/bin/env bash
# Runs the page suite of each browser engine and the real-window suites N
# times in a row while another process keeps one of the machine's cores fully
# busy, and counts the failures: a suite that fails on its own on a busy
# machine is a bug, in the test or in the program.
#
#   scripts/under-load.sh [-n N] [--idle] [SUITE...]
#
# N: runs of each suite (10 unless given); --idle: no busy process. SUITE:
# chromium, firefox, webkit (the page suites), or the name of a real-window
# test of the build (real_window, real_window_scale1_5, real_window_scale2,
# real_window_soak, wayland_scale1, wayland_scale2); all of them unless named.
# Builds what it needs first. Prints each run's result and time, each failed
# run's failures, and a table of runs, failures and times per suite last;
# fails if any run failed.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
runs=10
load=true
suites=()
while [ $# -gt 0 ]; do
    case "$1" in
    -n) runs=$2; shift 2 ;;
    --idle) load=false; shift ;;
    *) suites+=("$1"); shift ;;
    esac
done
windows=(real_window real_window_scale1_5 real_window_scale2 real_window_soak wayland_scale1 wayland_scale2)
[ ${#suites[@]} -gt 0 ] || suites=(chromium firefox webkit "${windows[@]}")

"$root/scripts/install-deps.sh" web || exit 1
echo "== Building"
cmake -S "$root" -B "$root/build/release" -DCMAKE_BUILD_TYPE=Release >/dev/null || exit 1
cmake --build "$root/build/release" -j"$(nproc)" >/dev/null || exit 1
"$root/scripts/web.sh" >/dev/null || exit 1
. "$root/scripts/web-env.sh"
cmake --build "$build" --target chaosgame_test_page chaosgame_test_facts -j"$(nproc)" >/dev/null || exit 1

busy=""
stop_busy() { if [ -n "$busy" ]; then kill "$busy" 2>/dev/null; wait "$busy" 2>/dev/null; busy=""; fi; }
trap stop_busy EXIT
if $load; then
    # One core kept fully busy, the last one.
    taskset -c "$(($(nproc) - 1))" bash -c 'while :; do :; done' &
    busy=$!
    echo "== One core kept busy (process $busy)"
fi

# One run of a suite: its output in $1.log; its status.
run_suite() {
    local suite=$1 log=$2
    case "$suite" in
    chromium | firefox | webkit)
        (
            export XVFB_SCREEN=1600x1200x24
            . "$root/tests/e2e/xsession.sh"
            start_x || exit 1
            trap stop_x EXIT
            /usr/bin/python3 "$root/tests/web/page_test.py" "$root/build/web/chaosgame.html" \
                "$build/chaosgame-test.html" "$suite"
        ) >"$log" 2>&1 ;;
    *) ctest --test-dir "$root/build/release" -R "^${suite}\$" --output-on-failure >"$log" 2>&1 ;;
    esac
}

logs=$(mktemp -d)
declare -A failed seconds
total_failed=0
for suite in "${suites[@]}"; do
    failed[$suite]=0
    seconds[$suite]=""
    for ((i = 1; i <= runs; i++)); do
        start=$(date +%s)
        log="$logs/$suite-$i.log"
        if run_suite "$suite" "$log"; then
            result=ok
        else
            result=FAILED
            failed[$suite]=$((failed[$suite] + 1))
            total_failed=$((total_failed + 1))
        fi
        took=$(($(date +%s) - start))
        seconds[$suite]+="$took "
        echo "$suite run $i: $result ($took s)"
        if [ "$result" = FAILED ]; then
            grep -E "FAIL|Error|error|timed out" "$log" | head -n 20 | sed 's/^/    /'
        fi
    done
done
rm -rf "$logs"

echo
echo "suite | runs | failed | seconds per run (min / median / max)"
for suite in "${suites[@]}"; do
    read -r min median max < <(echo "${seconds[$suite]}" | tr ' ' '\n' | grep . | sort -n |
        awk '{ v[NR] = $1 } END { print v[1], v[int((NR + 1) / 2)], v[NR] }')
    echo "$suite | $runs | ${failed[$suite]} | $min / $median / $max"
done
echo "load: $($load && echo "one core busy" || echo idle); $total_failed failed runs"
[ "$total_failed" -eq 0 ]
