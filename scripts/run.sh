#!/usr/bin/env bash
# Builds Chaos Game and starts it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
cmake -S "$root" -B "$root/build/release" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$root/build/release" --target chaosgame -j"$(nproc)"
exec "$root/build/release/chaosgame"
