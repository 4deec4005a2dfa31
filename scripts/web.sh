#!/usr/bin/env bash
# Builds the browser edition: the module with emscripten, then one
# self-contained page, build/web/chaosgame.html, that works opened from disk.
# Installs what is missing first. Prints the page's path last.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh" web
. "$root/scripts/web-env.sh"
emcmake cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DCHAOS_WEB=ON -DCHAOS_GUI=OFF \
      -DCHAOS_BENCH=OFF >/dev/null
cmake --build "$build" --target chaosgame_module -j"$(nproc)"

page=$root/build/web/chaosgame.html
python3 "$root/scripts/assemble-page.py" "$root/web/chaosgame.html" "$build/chaosgame.js" "$page"
size=$(stat -c %s "$page")
limit=$((1024 * 1024))
if [ "$size" -ge "$limit" ]; then
    echo "the page is $size bytes, over the limit of $limit" >&2
    exit 1
fi
echo "page: $size bytes"
echo "$page"
