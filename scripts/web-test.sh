#!/usr/bin/env bash
# Tests the browser edition: builds the page (scripts/web.sh), then the
# core's, the platform's and the window's GoogleTest suites with em++, the
# tests' module and the page made with it, and runs the suites under node,
# plainly and again built with AddressSanitizer and UndefinedBehaviorSanitizer;
# then the page itself in Chromium, Firefox and WebKit (the test page, and the
# shipped one). Each part prints a line "... tests passed, 0 tests failed out
# of N", which scripts/test.sh adds to its count. Fails if any part fails;
# every engine runs all the same.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/web.sh"
. "$root/scripts/web-env.sh"

echo "== WebAssembly suites under node"
cmake --build "$build" -j"$(nproc)"
ctest --test-dir "$build" --output-on-failure -j"$(nproc)"

echo "== WebAssembly suites under node, with AddressSanitizer and UndefinedBehaviorSanitizer"
# The same suites, where a write past an array or undefined behaviour fails
# the test instead of passing unseen (the mutation tool builds with them too).
sanitized=$root/build/wasm-sanitize
emcmake cmake -S "$root" -B "$sanitized" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCHAOS_WEB=ON -DCHAOS_GUI=OFF \
      -DCHAOS_BENCH=OFF -DCHAOS_SANITIZE=ON >/dev/null
cmake --build "$sanitized" -j"$(nproc)"
ctest --test-dir "$sanitized" --output-on-failure -j"$(nproc)"

echo "== The page in Chromium, Firefox and WebKit"
# Firefox and WebKit run in real windows, on an X server of our own, with
# room for the page at a device pixel ratio of 2.
export XVFB_SCREEN=1600x1200x24
. "$root/tests/e2e/xsession.sh"
start_x
trap stop_x EXIT
failed=()
for engine in chromium firefox webkit; do
    # Debian's python3, which has Debian's selenium.
    /usr/bin/python3 "$root/tests/web/page_test.py" "$root/build/web/chaosgame.html" "$build/chaosgame-test.html" \
        "$engine" || failed+=("$engine")
done
if [ ${#failed[@]} -ne 0 ]; then
    echo "the page failed in: ${failed[*]}" >&2
    exit 1
fi
