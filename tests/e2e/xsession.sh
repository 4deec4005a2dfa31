# Sourced by the real-window scripts: a private X server and the program in it.
# Needs: APP (the chaosgame binary).

start_x() {
    local fd_file
    fd_file=$(mktemp)
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$fd_file" 2>/dev/null &
    XVFB_PID=$!
    for _ in $(seq 100); do
        [ -s "$fd_file" ] && break
        sleep 0.05
    done
    export DISPLAY=":$(head -n1 "$fd_file")"
    rm -f "$fd_file"
    export QT_QPA_PLATFORM=xcb
}

# Starts the program and waits for its window; sets APP_PID, WID and
# STARTUP_MS (from starting the program to its window on screen).
start_app() {
    local t0 t1
    t0=$(date +%s%N)
    "$APP" >>"${APP_LOG:-/tmp/chaosgame-e2e.log}" 2>&1 &
    APP_PID=$!
    WID=""
    for _ in $(seq 2000); do
        WID=$(xdotool search --onlyvisible --name '^Form2$' 2>/dev/null | head -n1 || true)
        [ -n "$WID" ] && break
        sleep 0.005
    done
    t1=$(date +%s%N)
    STARTUP_MS=$(( (t1 - t0) / 1000000 ))
    [ -n "$WID" ] || { echo "the window Form2 did not appear"; return 1; }
    eval "$(xdotool getwindowgeometry --shell "$WID")"  # X, Y, WIDTH, HEIGHT
    WIN_X=$X
    WIN_Y=$Y
    # The drawing area: the surface at (8, 16) in the window, inside a one-pixel border.
    AREA_X=$((WIN_X + 9))
    AREA_Y=$((WIN_Y + 17))
}

# A click at a window pixel, holding a key if one is named: click_at WX WY BUTTON [KEY].
# One xdotool call, so that the X server gets the steps in order; mousedown and
# mouseup, because xdotool's click pauses between them.
click_at() {
    local hold=() release=()
    if [ -n "${4:-}" ]; then hold=(keydown "$4"); release=(keyup "$4"); fi
    xdotool mousemove "$((WIN_X + $1))" "$((WIN_Y + $2))" "${hold[@]}" mousedown "$3" mouseup "$3" "${release[@]}"
}

stop_x() {
    if [ -n "${APP_PID:-}" ]; then kill "$APP_PID" 2>/dev/null || true; fi
    if [ -n "${XVFB_PID:-}" ]; then kill "$XVFB_PID" 2>/dev/null || true; fi
    wait 2>/dev/null || true
}

# Waits up to about 4 s for a visible window with this exact title; prints its id.
wait_window() {
    local id=""
    for _ in $(seq 200); do
        id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n1 || true)
        [ -n "$id" ] && break
        sleep 0.02
    done
    echo "$id"
}

# Waits up to about 4 s for the program to end; sets EXIT_STATUS.
wait_exit() {
    EXIT_STATUS="still running"
    for _ in $(seq 200); do
        if ! kill -0 "$APP_PID" 2>/dev/null; then
            wait "$APP_PID"
            EXIT_STATUS=$?
            return 0
        fi
        sleep 0.02
    done
}
