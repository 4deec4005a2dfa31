#!/usr/bin/env bash
# Tests the browser edition: builds the page (scripts/web.sh), then the
# core's and the platform's GoogleTest suites with em++, and runs them under
# node. Each part prints a line "... tests passed, 0 tests failed out of N",
# which scripts/test.sh adds to its count.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/web.sh"
. "$root/scripts/web-env.sh"

echo "== WebAssembly suites under node"
cmake --build "$build" -j"$(nproc)"
ctest --test-dir "$build" --output-on-failure -j"$(nproc)"

echo "== The page in headless Chromium"
# Debian's python3, which has Debian's selenium.
/usr/bin/python3 "$root/tests/web/page_test.py" "$root/build/web/chaosgame.html"
