#!/usr/bin/env bash
# The real program as a native Wayland client, on weston (its X11 backend in
# a private Xvfb, so that xdotool's pointer and keys reach it) at the output
# scale WAYLAND_SCALE (1 unless set), its pixels read from the screen: the
# window opens with the drawing area inside an exact frame; left presses place
# anchors on the device pixel pressed (odd ones too: Qt rounds a widget's
# press to whole logical pixels); a right press draws single-pixel dots; a
# save writes the drawing area at device size; Clear Screen, Exit and the
# window's close button end as on X11.
set -uo pipefail
APP=$1
PROBE=$2
SCALE=${WAYLAND_SCALE:-1}
# weston's output, in logical pixels: room for the window and its decoration.
OUTPUT_W=900
OUTPUT_H=700
export XVFB_SCREEN=$((OUTPUT_W * SCALE + 100))x$((OUTPUT_H * SCALE + 100))x24
source "$(dirname "$0")/xsession.sh"
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
work=$(mktemp -d)
WESTON_PID=""
stop_all() {
    if [ -n "${APP_PID:-}" ]; then kill -9 "$APP_PID" 2>/dev/null || true; fi
    if [ -n "$WESTON_PID" ]; then kill "$WESTON_PID" 2>/dev/null || true; fi
    stop_x
    rm -rf "$work"
}
trap stop_all EXIT

start_x || exit 1
mkdir -m 0700 "$work/runtime"
cat >"$work/weston.ini" <<EOF
[core]
idle-time=0
[shell]
panel-position=none
background-color=0xff404040
animation=none
close-animation=none
startup-animation=none
focus-animation=none
EOF
export XDG_RUNTIME_DIR=$work/runtime
XDG_RUNTIME_DIR=$work/runtime weston --backend=x11-backend.so --width=$OUTPUT_W --height=$OUTPUT_H --scale="$SCALE" \
    --use-pixman --socket=chaos-wayland --config="$work/weston.ini" >"$work/weston.log" 2>&1 &
WESTON_PID=$!
until_ok 30 test -S "$work/runtime/chaos-wayland" || { echo "weston did not start:"; cat "$work/weston.log"; exit 1; }
WESTON_WID=$(timeout 30 xdotool search --sync --class '^weston' | head -n1)
# weston's keys come from its X window, which keeps the X focus wherever the
# pointer goes.
xdotool windowfocus --sync "$WESTON_WID"
eval "$(xdotool getwindowgeometry --shell "$WESTON_WID")"  # X, Y: weston's output on the X screen
OUT_X=$X
OUT_Y=$Y

# The drawing area in device pixels, the frame (floor(frame x scale)) and the
# circles' radius, from the program's code; the surface's place in the window.
read -r LEFT TOP FRAME AREA_W AREA_H RADIUS < <(screen_facts "$SCALE")
FRAME_W=$((FRAME * SCALE))

# Starts the program on weston and finds its window on the screen (where the
# compositor placed it): AREA_X, AREA_Y, the drawing area's top-left, and
# WIN_X, WIN_Y, the window's.
start_wayland_app() {
    if [ -n "${APP_PID:-}" ]; then kill "$APP_PID" 2>/dev/null; fi  # one that did not end as it should
    env -u DISPLAY WAYLAND_DISPLAY=chaos-wayland QT_QPA_PLATFORM=wayland "$APP" >>"$work/app.log" 2>&1 &
    APP_PID=$!
    pointer_away  # (weston draws it, perhaps where the window comes)
    if ! until_ok 30 "$PROBE" find "$AREA_W" "$AREA_H"; then
        echo "no window with a blank ${AREA_W} x ${AREA_H} drawing area appeared; the program printed:"
        tail -n 20 "$work/app.log"
        return 1
    fi
    read -r AREA_X AREA_Y < <("$PROBE" find "$AREA_W" "$AREA_H")
    WIN_X=$((AREA_X - LEFT * SCALE - FRAME_W))
    WIN_Y=$((AREA_Y - TOP * SCALE - FRAME_W))
}

# weston follows the X pointer by its moves, which it learns only inside its
# window: each move starts outside it, so that weston takes the pointer's
# place anew where it enters.
pointer_to() { xdotool mousemove "$((OUT_X + OUTPUT_W * SCALE + 50))" "$((OUT_Y + 10))" mousemove "$1" "$2"; }
# A press at a drawing-area device pixel; at a window's logical pixel.
press() { pointer_to "$((AREA_X + $1))" "$((AREA_Y + $2))"; xdotool mousedown "$3" mouseup "$3"; }
click_window() { pointer_to "$((WIN_X + $1 * SCALE))" "$((WIN_Y + $2 * SCALE))"; xdotool mousedown 1 mouseup 1; }
# weston draws the pointer into its output: off the window before reading it.
pointer_away() { pointer_to "$((OUT_X + OUTPUT_W * SCALE - 2))" "$((OUT_Y + OUTPUT_H * SCALE - 2))"; }
# Waits for a window (a dialog, a message) to come over what the screen shows now.
screen_now() { "$PROBE" save "$work/before.png" 0 0 "$((OUT_X + OUTPUT_W * SCALE))" "$((OUT_Y + OUTPUT_H * SCALE))"; }
# And until the screen has settled: the window painted and given the keyboard
# (the one behind it shown inactive) before keys are typed into it.
settled() { "$PROBE" save "$work/now.png" 0 0 "$((OUT_X + OUTPUT_W * SCALE))" "$((OUT_Y + OUTPUT_H * SCALE))" &&
    ! "$PROBE" changed "$work/now.png" 1; }
wait_new_window() { until_ok 30 "$PROBE" changed "$work/before.png" $((150 * 100 * SCALE * SCALE)) && until_ok 30 settled; }
# Waits up to 10 s for the program to end; sets EXIT_STATUS.
wait_end() { if until_gone 10 kill -0 "$APP_PID"; then wait "$APP_PID"; EXIT_STATUS=$?; else EXIT_STATUS="still running"; fi; }

start_wayland_app || exit 1
echo "wayland at scale ${SCALE}: the drawing area ${AREA_W} x ${AREA_H} at (${AREA_X}, ${AREA_Y})"
pointer_away
until_ok 10 "$PROBE" frame "$AREA_X" "$AREA_Y" "$AREA_W" "$AREA_H" "$FRAME_W" ||
    "$PROBE" frame "$AREA_X" "$AREA_Y" "$AREA_W" "$AREA_H" "$FRAME_W" || fail "the frame is not exact round the drawing area"

# Anchors on odd device pixels, where a press rounded to a logical pixel
# would land one pixel off at scale 2; presses on the frame place nothing.
odd() { echo $(($1 | 1)); }
anchors=("$(odd $((AREA_W / 9)))" "$(odd $((AREA_H * 7 / 8)))" "$(odd $((AREA_W - 1 - 2 * RADIUS)))"
         "$(odd $((AREA_H * 7 / 8)))" "$(odd $((AREA_W / 2)))" "$(odd $((AREA_H / 12)))")
press -1 $((AREA_H / 2)) 1
press "$AREA_W" $((AREA_H / 2)) 1
for i in 0 2 4; do press "${anchors[i]}" "${anchors[i + 1]}" 1; done
press 10 10 3
pointer_away
drawn=(check "$AREA_X" "$AREA_Y" "$AREA_W" "$AREA_H" "$RADIUS" "${anchors[@]}")
until_ok 10 "$PROBE" "${drawn[@]}" || { "$PROBE" "${drawn[@]}"; fail "the drawing on screen is not the expected triangle"; }

# Ctrl+S: the name typed into the save dialog; the file is the drawing area
# at device size, pixel for pixel.
saved="$work/wayland picture.png"
screen_now
xdotool key ctrl+s
if ! wait_new_window; then
    fail "Ctrl+S opened no save dialog"
else
    xdotool key ctrl+a
    xdotool type --delay 5 "$saved"
    xdotool key Return
    until_ok 10 test -s "$saved" || fail "no picture was saved"
    same=(same "$saved" "$AREA_X" "$AREA_Y" "$AREA_W" "$AREA_H")
    [ -s "$saved" ] && { until_ok 10 "$PROBE" "${same[@]}" || { "$PROBE" "${same[@]}"; fail "the saved picture is not the drawing area"; }; }
fi

# Clear Screen: the blank area again.
click_window $((592 + 48)) $((248 + 12))
pointer_away
until_ok 10 "$PROBE" frame "$AREA_X" "$AREA_Y" "$AREA_W" "$AREA_H" "$FRAME_W" || fail "Clear Screen left the area drawn on"

# Exit: the thank-you message, then the end with status 0.
screen_now
click_window $((592 + 48)) $((280 + 12))
wait_new_window || fail "no thank-you message after Exit"
kill -0 "$APP_PID" 2>/dev/null || fail "the program ended before the message was dismissed"
xdotool key Return
wait_end
[ "$EXIT_STATUS" = "0" ] || fail "Exit did not end the program with status 0 (status '${EXIT_STATUS}')"

# The close button of the window's decoration (which Qt draws on Wayland,
# at the right of its title bar): the end with status 0, no message.
start_wayland_app || exit 1
click_window $((704 - 14)) -16
wait_end
[ "$EXIT_STATUS" = "0" ] || fail "closing the window did not end the program with status 0 (status '${EXIT_STATUS}')"

[ "$failures" -eq 0 ] && echo "wayland at scale ${SCALE}: all checks passed"
exit "$failures"
