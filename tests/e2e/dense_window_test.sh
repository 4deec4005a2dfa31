#!/usr/bin/env bash
# The real program on a screen of the device pixel ratio QT_SCALE_FACTOR sets
# (1.5, 2), its pixels read from the screen: the drawing area inside an exact
# frame, anchors placed on the device pixel clicked, each circle of its
# radius in device pixels, the triangle's dots, and the copy and the saved
# file the drawing area on screen, pixel for pixel, at its device size.
set -uo pipefail
APP=$1
PROBE=$2
export XVFB_SCREEN=1600x1200x24  # room for the window at ratio 2
source "$(dirname "$0")/xsession.sh"
trap stop_x EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
probe() { env -u QT_SCALE_FACTOR "$PROBE" "$@"; }

start_x || exit 1
start_app || exit 1
echo "ratio ${QT_SCALE_FACTOR:-1}: the drawing area ${AREA_W} x ${AREA_H} at (${AREA_X}, ${AREA_Y})"
# The surface has the keyboard at start; the frame shows it, in one colour.
probe frame "$AREA_X" "$AREA_Y" "$AREA_W" "$AREA_H" "$FRAME_W" || fail "the frame is not exact round the drawing area"

# Anchors at drawing-area device pixels, the last one on the last column
# and row but a circle's width; a press on the frame places nothing.
anchors=($((AREA_W / 9)) $((AREA_H * 7 / 8)) $((AREA_W - 1 - 2 * RADIUS)) $((AREA_H * 7 / 8)) $((AREA_W / 2)) $((AREA_H / 12)))
press() { xdotool mousemove "$((AREA_X + $1))" "$((AREA_Y + $2))" mousedown "$3" mouseup "$3"; }
press -1 $((AREA_H / 2)) 1
press "$AREA_W" $((AREA_H / 2)) 1
for i in 0 2 4; do press "${anchors[i]}" "${anchors[i + 1]}" 1; done
press 10 10 3
drawn=(check "$AREA_X" "$AREA_Y" "$AREA_W" "$AREA_H" "$RADIUS" "${anchors[@]}")
until_ok 10 probe "${drawn[@]}" ||
    { probe "${drawn[@]}"; fail "the drawing on screen is not the expected triangle at device resolution"; }
xdotool windowfocus --sync "$WID" key ctrl+c
until_ok 10 probe same clipboard "$AREA_X" "$AREA_Y" "$AREA_W" "$AREA_H" ||
    { probe same clipboard "$AREA_X" "$AREA_Y" "$AREA_W" "$AREA_H"; fail "the copy is not the drawing area"; }
saved="$(mktemp -d)/dense.png"
xdotool windowfocus --sync "$WID" key ctrl+s
dialog=$(wait_window "Save Picture")
if [ -z "$dialog" ]; then
    fail "Ctrl+S opened no save dialog"
else
    # Keys once it has the X focus (see real_window_test.sh).
    xdotool windowfocus --sync "$dialog"
    until_ok 10 has_focus "$dialog"
    xdotool key ctrl+a
    xdotool type --delay 5 "$saved"
    xdotool key Return
    until_ok 30 test -s "$saved"
    # (Once the dialog has gone from over the area.)
    until_ok 10 probe same "$saved" "$AREA_X" "$AREA_Y" "$AREA_W" "$AREA_H" ||
        { probe same "$saved" "$AREA_X" "$AREA_Y" "$AREA_W" "$AREA_H"; fail "the saved picture is not the drawing area"; }
fi
rm -rf "$(dirname "$saved")"

xdotool key ctrl+q
wait_exit
[ "$EXIT_STATUS" = "0" ] || fail "Ctrl+Q did not end the program with status 0 (status '${EXIT_STATUS}')"
APP_PID=""
[ "$failures" -eq 0 ] && echo "dense window: all checks passed"
exit "$failures"
