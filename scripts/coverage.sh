#!/usr/bin/env bash
# Branch coverage of core/ by the tests: builds with coverage instrumentation,
# runs the core's tests and prints gcovr's summary. Exception-only and
# unreachable branches that the compiler adds are left out, and so are those
# it adds around each AVX2 intrinsic in a build without optimisation.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
build="$root/build/coverage"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Debug -DCHAOS_COVERAGE=ON -DCHAOS_GUI=OFF >/dev/null
cmake --build "$build" -j"$(nproc)"
find "$build" -name '*.gcda' -delete
ctest --test-dir "$build" -j"$(nproc)" >/dev/null
cd "$root"
gcovr --root "$root" --filter 'core/' --object-directory "$build" \
    --exclude-throw-branches --exclude-unreachable-branches --exclude-branches-by-pattern '.*_mm256_' --branches --print-summary "$@"
