#!/usr/bin/env bash
# The real program in a real X server, driven as a user would with xdotool:
# three anchors and a right-click draw a triangle, with no keyboard point in
# sight; Esc stops a long draw wherever the keyboard is; Exit thanks and ends
# with status 0; closing the window ends with status 0; with the keyboard
# alone a triangle is drawn and saved, and the file holds exactly the drawing
# area; the keyboard point shows while the keyboard drives the surface; the
# frame is exact round the drawing area.
set -uo pipefail
APP=$1
PROBE=$2
source "$(dirname "$0")/xsession.sh"
trap stop_x EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

start_x || exit 1
start_app || exit 1
echo "window appeared ${STARTUP_MS} ms after start"
"$PROBE" frame "$AREA_X" "$AREA_Y" "$AREA_W" "$AREA_H" "$FRAME_W" || fail "the frame is not exact round the drawing area"

# Anchors at drawing-area pixels; the surface starts 9, 17 into the window.
anchors=(60 420 500 420 280 40)
for i in 0 2 4; do
    click_at $((anchors[i] + 9)) $((anchors[i + 1] + 17)) 1
done
click_at 300 300 3
drawn=(check "$AREA_X" "$AREA_Y" "$AREA_W" "$AREA_H" "$RADIUS" "${anchors[@]}")
until_ok 10 "$PROBE" "${drawn[@]}" || { "$PROBE" "${drawn[@]}"; fail "the drawing on screen is not the expected triangle"; }
"$PROBE" cross "$AREA_X" "$AREA_Y" 275 239 && fail "the keyboard point shows after mouse clicks"

# The largest count: a progress dialog appears, and Esc cancels at once
# whether the dialog or the window has the keyboard.
click_at $((592 + 40)) $((40 + 10)) 1
xdotool key ctrl+a
xdotool type --delay 5 "2147483647"
for keyboard in progress window; do
    click_at 100 100 1
    click_at 300 300 3
    progress=$(wait_window "Chaos Game")
    [ -n "$progress" ] || fail "no progress dialog during a long draw"
    [ "$keyboard" = progress ] && target=$progress || target=$WID
    pressed=$(date +%s%N)
    xdotool windowfocus --sync "$target" key Escape 2>/dev/null || xdotool key Escape
    # Gone at once: the window stops the draw at the key; the rest is the X
    # server's round trips, on a core of their own on a busy machine.
    until_gone 10 xdotool search --onlyvisible --name '^Chaos Game$'
    took=$((($(date +%s%N) - pressed) / 1000000))
    [ "$took" -lt 1000 ] || fail "the progress dialog stayed ${took} ms after Esc with the keyboard in the $keyboard"
done

# Clear Screen, then Exit: the thank-you message, then the end.
click_at $((592 + 48)) $((248 + 12)) 1
click_at $((592 + 48)) $((280 + 12)) 1
box=$(wait_window "Chaos Game")
[ -n "$box" ] || fail "no thank-you message after Exit (is the program still responsive?)"
kill -0 "$APP_PID" 2>/dev/null || fail "the program ended before the message was dismissed"
xdotool windowfocus --sync "$box" key Return 2>/dev/null || xdotool key Return
wait_exit
[ "$EXIT_STATUS" = "0" ] || fail "Exit did not end the program with status 0 (status '${EXIT_STATUS}')"

# The keyboard alone: the surface has the focus at start, with the keyboard
# point at the centre (275, 239). Anchors at (60, 420), (500, 420), (280, 40).
# The program runs under a file size limit of 64 KiB, as a user's ulimit may set.
ulimit -S -f 64
start_app || exit 1
ulimit -S -f unlimited
xdotool windowfocus --sync "$WID"
keys() { local k=$1 n=$2; for _ in $(seq "$n"); do xdotool key "$k"; done; }
"$PROBE" cross "$AREA_X" "$AREA_Y" 275 239 && fail "the keyboard point shows before any key"
keys shift+Left 21; keys Left 5; keys shift+Down 18; keys Down 1; xdotool key space
until_ok 10 "$PROBE" cross "$AREA_X" "$AREA_Y" 60 420 || fail "no keyboard point after the arrow keys"
keys shift+Right 44; xdotool key Return
keys shift+Left 22; keys shift+Up 38; xdotool key space
xdotool key shift+F10
xdotool key Tab  # the focus moves on, and the keyboard point with it
drawn=(check "$AREA_X" "$AREA_Y" "$AREA_W" "$AREA_H" "$RADIUS" 60 420 500 420 280 40)
until_ok 10 "$PROBE" "${drawn[@]}" || { "$PROBE" "${drawn[@]}"; fail "the keyboard's drawing on screen is not the expected triangle"; }
# Ctrl+S, and the name typed into the save dialog.
save_as() {
    xdotool windowfocus --sync "$WID" key ctrl+s
    dialog=$(wait_window "Save Picture")
    [ -n "$dialog" ] || { fail "Ctrl+S opened no save dialog"; return; }
    # With no window manager here, the dialog gets the keyboard only when told,
    # and a slow start (the sanitizer build) can leave keys to the main window.
    # Once it has the X focus, the keys come after that in the program's
    # events: its name field has them (and a listing of the folder that ends
    # later no longer writes the field).
    xdotool windowfocus --sync "$dialog"
    until_ok 10 has_focus "$dialog"
    xdotool key ctrl+a
    xdotool type --delay 5 "$1"
    xdotool key Return
}
saved="$(mktemp -d)/keyboard triangle.png"
save_as "$saved"
# (Written to a temporary file and renamed: whole once it is there.)
until_ok 30 test -s "$saved"
# (Once the dialog has gone from over the area.)
same=(same "$saved" "$AREA_X" "$AREA_Y" "$AREA_W" "$AREA_H")
until_ok 10 "$PROBE" "${same[@]}" || { "$PROBE" "${same[@]}"; fail "the saved picture is not the drawing area"; }
# A BMP is larger than the limit: the program says so and goes on, and
# leaves no file behind.
save_as "$(dirname "$saved")/large.bmp"
box=$(wait_window "Chaos Game")
[ -n "$box" ] || fail "no message when the file grows past the size limit"
kill -0 "$APP_PID" 2>/dev/null || fail "the program ended when the file grew past the size limit"
[ "$(ls -A "$(dirname "$saved")")" = "keyboard triangle.png" ] || fail "a failed save left a file: $(ls -A "$(dirname "$saved")")"
xdotool windowfocus --sync "$box" key Return 2>/dev/null || xdotool key Return
rm -rf "$(dirname "$saved")"
# Shift+Tab from Clear Screen brings the keyboard point back; a click hides it.
xdotool windowfocus --sync "$WID"
xdotool key shift+Tab
until_ok 10 "$PROBE" cross "$AREA_X" "$AREA_Y" 280 40 || fail "no keyboard point after Shift+Tab"
click_at 300 300 1
until_gone 10 "$PROBE" cross "$AREA_X" "$AREA_Y" 280 40 || fail "the keyboard point stayed after a click"
# Ctrl+Q ends the program as closing the window does: no message, status 0.
xdotool key ctrl+q
wait_exit
[ "$EXIT_STATUS" = "0" ] || fail "Ctrl+Q did not end the program with status 0 (status '${EXIT_STATUS}')"

# Closing the window, as a window manager's close button does.
start_app || exit 1
"$PROBE" close "$WID"
wait_exit
[ "$EXIT_STATUS" = "0" ] || fail "closing the window did not end the program with status 0 (status '${EXIT_STATUS}')"
APP_PID=""

[ "$failures" -eq 0 ] && echo "real window: all checks passed"
exit "$failures"
