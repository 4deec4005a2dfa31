#!/usr/bin/env bash
# Makes docs/screenshot.png: the real program under Xvfb with a drawn triangle.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
cmake -S "$root" -B "$root/build/release" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$root/build/release" --target chaosgame screen_probe -j"$(nproc)"
APP="$root/build/release/chaosgame"
source "$root/tests/e2e/xsession.sh"
trap stop_x EXIT
start_x || exit 1
start_app || exit 1
for p in "69 437" "509 437" "289 57"; do
    click_at ${p% *} ${p#* } 1
done
click_at 300 300 3
sleep 0.5
"$root/build/release/tests/screen_probe" save "$root/docs/screenshot.png" "$WIN_X" "$WIN_Y" 704 562
echo "saved docs/screenshot.png"
