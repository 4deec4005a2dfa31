#!/usr/bin/env bash
# Builds the event fuzzer with clang and runs it for the given number of
# seconds (60 by default), starting from the committed seed corpus. Fails on
# any crash, sanitizer finding or model mismatch.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
"$root/scripts/install-deps.sh"
build="$root/build/fuzz"
CXX=clang++ cmake -S "$root" -B "$build" -DCHAOS_GUI=OFF -DCHAOS_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --target fuzz_events -j"$(nproc)"
corpus="$build/corpus"
mkdir -p "$corpus"
cd "$build"
"$build/fuzz/fuzz_events" -max_total_time="$seconds" -timeout=20 -rss_limit_mb=2048 -print_final_stats=1 \
    "$corpus" "$root/fuzz/corpus" 2>&1 | grep -vE '^#[0-9]+\s+(NEW|REDUCE|pulse)' | tail -n 25
echo "fuzz: no crash, sanitizer finding or model mismatch in ${seconds} s"
