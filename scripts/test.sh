#!/usr/bin/env bash
# Builds Chaos Game and runs every test: the normal build (unit, window,
# real-window and soak tests), the same suite built with AddressSanitizer and
# UndefinedBehaviorSanitizer, a minute of fuzzing, the core's branch
# coverage, which must stay at 100%, the Debian package with its checks, and
# the browser edition (scripts/web-test.sh).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
jobs=$(nproc)
"$root/scripts/install-deps.sh" package web
summary=$(mktemp)
unpacked=$(mktemp -d)
trap 'rm -rf "$summary" "$unpacked"' EXIT

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

echo "== ThreadSanitizer"
# The draw on real threads, built with clang's ThreadSanitizer (which cannot
# be mixed with the AddressSanitizer build above): any data race fails it.
CC=clang CXX=clang++ cmake -S "$root" -B "$root/build/tsan" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCHAOS_TSAN=ON \
      -DCHAOS_GUI=OFF -DCHAOS_BENCH=OFF >/dev/null
cmake --build "$root/build/tsan" -j"$jobs" --target window_threaded_draw_test
TSAN_OPTIONS=halt_on_error=1 ctest --test-dir "$root/build/tsan" -R '^(ThreadedDraw|ThreadPool)\.' \
    --output-on-failure | tee -a "$summary"

echo "== Fuzzing"
"$root/scripts/fuzz.sh" "${CHAOS_FUZZ_SECONDS:-60}"

echo "== Branch coverage of core/"
"$root/scripts/coverage.sh" --fail-under-branch 100

echo "== Debian package"
deb=$("$root/scripts/package.sh" | tail -n 1)
report=$(lintian --fail-on error,warning "$deb" 2>&1) || { echo "$report"; echo "lintian: errors or warnings in $deb"; exit 1; }
echo "$report" | grep -v 'root privileges' || true
dpkg-deb -x "$deb" "$unpacked"
desktop-file-validate "$unpacked/usr/share/applications/chaosgame.desktop"
appstreamcli validate --no-net "$unpacked"/usr/share/metainfo/*.metainfo.xml
# Debian 12's own C start files carry no control-flow protection, so no
# binary linked here can have it; every other check must pass.
hardening-check --nocfprotection "$unpacked/usr/bin/chaosgame"
man_warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l "$unpacked/usr/share/man/man1/chaosgame.1.gz" 2>&1 >/dev/null)
[ -z "$man_warnings" ] || { echo "the manual page has warnings: $man_warnings"; exit 1; }
version=$(env -u DISPLAY -u WAYLAND_DISPLAY "$unpacked/usr/bin/chaosgame" --version)
[ "$version" = "chaosgame $(dpkg-parsechangelog -l "$root/debian/changelog" -S Version)" ] ||
    { echo "the packaged program says it is '$version'"; exit 1; }
echo "package: $deb is lintian-clean, hardened, and says '$version'"

echo "== Browser edition"
"$root/scripts/web-test.sh" | tee -a "$summary"

# Every ctest run above passed (a failure stops this script): count them.
passed=0
for n in $(sed -n 's/.*tests passed, 0 tests failed out of \([0-9]*\).*/\1/p' "$summary"); do
    passed=$((passed + n))
done
echo "fuzzing, coverage and the package: passed"
echo "${passed} passed, 0 failed"
