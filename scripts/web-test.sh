#!/usr/bin/env bash
# Tests the browser edition: builds the page (scripts/web.sh), then the
# core's and the platform's GoogleTest suites with em++, and runs them under
# node. Each part prints a line "... tests passed, 0 tests failed out of N",
# which scripts/test.sh adds to its count.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/web.sh"
export NODE_PATH=${NODE_PATH:-/usr/share/nodejs}
build=$root/build/wasm

echo "== WebAssembly suites under node"
cmake --build "$build" -j"$(nproc)"
ctest --test-dir "$build" --output-on-failure -j"$(nproc)"
