#!/usr/bin/env bash
# Builds Chaos Game and runs every test: the normal build (unit, window,
# real-window and soak tests), the same suite built with AddressSanitizer and
# UndefinedBehaviorSanitizer, a minute of fuzzing, and the core's branch
# coverage, which must stay at 100%.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
jobs=$(nproc)
"$root/scripts/install-deps.sh"
summary=$(mktemp)
trap 'rm -f "$summary"' EXIT

echo "== Release build and tests"
cmake -S "$root" -B "$root/build/release" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$root/build/release" -j"$jobs"
ctest --test-dir "$root/build/release" --output-on-failure -j"$jobs" | tee -a "$summary"

echo "== Sanitizer build and tests"
cmake -S "$root" -B "$root/build/sanitize" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCHAOS_SANITIZE=ON \
      -DCHAOS_BENCH=OFF >/dev/null
cmake --build "$root/build/sanitize" -j"$jobs"
# Leak checking is off: Qt and fontconfig keep caches until the process ends.
# The soak test's memory limit is off: freed memory waits in quarantine.
ASAN_OPTIONS=detect_leaks=0:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    CHAOS_SOAK_MEMORY_CHECK=0 ctest --test-dir "$root/build/sanitize" --output-on-failure -j"$jobs" | tee -a "$summary"

echo "== Fuzzing"
"$root/scripts/fuzz.sh" "${CHAOS_FUZZ_SECONDS:-60}"

echo "== Branch coverage of core/"
"$root/scripts/coverage.sh" --fail-under-branch 100

# Every ctest run above passed (a failure stops this script): count them.
passed=0
for n in $(sed -n 's/.*tests passed, 0 tests failed out of \([0-9]*\).*/\1/p' "$summary"); do
    passed=$((passed + n))
done
echo "fuzzing and coverage: passed"
echo "${passed} passed, 0 failed"
