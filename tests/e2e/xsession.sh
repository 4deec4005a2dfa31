# Sourced by the real-window scripts: a private X server and the program in it.
# Needs: APP (the chaosgame binary); XVFB_SCREEN, the screen (1024x768x24 unless set).

# Starts a private X server on a free display and exports DISPLAY. The display
# number is random and high, so that another X server on this machine, perhaps
# in another sandbox, is not taken for ours; if the number is taken, or the
# server does not answer, another one is tried.
start_x() {
    XVFB_LOG=$(mktemp)
    if [ -z "${APP_LOG:-}" ]; then APP_LOG=$(mktemp); APP_LOG_IS_TEMP=1; fi
    export QT_QPA_PLATFORM=xcb
    local attempt
    for attempt in 1 2 3 4 5 6 7 8; do
        try_x_display $((100 + (RANDOM + $$) % 800)) && return 0
    done
    echo "no X server (Xvfb) could be started; the last one said:"
    cat "$XVFB_LOG"
    return 1
}

# One try of start_x at display $1: the server must report itself ready and
# then accept a connection.
try_x_display() {
    local fd_file
    fd_file=$(mktemp)
    # -noreset: by default the server resets when its last client leaves, and
    # refuses connections while it does; a program started then would fail.
    Xvfb ":$1" -displayfd 3 -screen 0 "${XVFB_SCREEN:-1024x768x24}" -nolisten tcp -noreset 3>"$fd_file" 2>"$XVFB_LOG" &
    XVFB_PID=$!
    # A cold first start (fonts, keymap) can take seconds on a busy machine.
    for _ in $(seq 600); do
        [ -s "$fd_file" ] && break
        kill -0 "$XVFB_PID" 2>/dev/null || break
        sleep 0.05
    done
    if [ -s "$fd_file" ]; then
        export DISPLAY=":$(head -n1 "$fd_file")"
        rm -f "$fd_file"
        for _ in $(seq 100); do
            kill -0 "$XVFB_PID" 2>/dev/null || break
            xdotool getdisplaygeometry >/dev/null 2>&1 && return 0
            sleep 0.05
        done
    fi
    rm -f "$fd_file"
    kill "$XVFB_PID" 2>/dev/null
    wait "$XVFB_PID" 2>/dev/null
    XVFB_PID=""
    return 1
}

# Starts the program and waits for its window; sets APP_PID, WID and
# STARTUP_MS (from starting the program to its window on screen). If the
# window does not come, says why, with what the program printed.
start_app() {
    local t0 t1 deadline
    t0=$(date +%s%N)
    deadline=$((t0 + 30000000000))
    "$APP" >>"$APP_LOG" 2>&1 &
    APP_PID=$!
    WID=""
    while [ "$(date +%s%N)" -lt "$deadline" ]; do
        WID=$(xdotool search --onlyvisible --name '^Form2$' 2>/dev/null | head -n1 || true)
        [ -n "$WID" ] && break
        kill -0 "$APP_PID" 2>/dev/null || break
        sleep 0.005
    done
    t1=$(date +%s%N)
    STARTUP_MS=$(( (t1 - t0) / 1000000 ))
    if [ -z "$WID" ]; then
        if kill -0 "$APP_PID" 2>/dev/null; then
            echo "the window Form2 did not appear within 30 s"
        else
            wait "$APP_PID" 2>/dev/null
            echo "the program ended with status $? before its window appeared"
        fi
        echo "X server: $DISPLAY; the program printed:"
        tail -n 40 "$APP_LOG"
        echo "the X server printed:"
        tail -n 20 "$XVFB_LOG"
        return 1
    fi
    eval "$(xdotool getwindowgeometry --shell "$WID")"  # X, Y, WIDTH, HEIGHT
    WIN_X=$X
    WIN_Y=$Y
    # The drawing area in device pixels of the screen, at the device pixel
    # ratio QT_SCALE_FACTOR sets (1 unless set): the surface at its place in
    # the window, inside a frame of floor(frame x ratio) device pixels; the
    # area's size and the anchors' circles' radius at that ratio.
    local ratio=${QT_SCALE_FACTOR:-1} left top frame
    read -r left top frame AREA_W AREA_H RADIUS < <(screen_facts "$ratio")
    read -r AREA_X AREA_Y FRAME_W < <(awk -v r="$ratio" -v x="$WIN_X" -v y="$WIN_Y" -v l="$left" -v t="$top" -v f="$frame" \
        'BEGIN { f = int(f * r); print x + int(l * r) + f, y + int(t * r) + f, f }')
}

# The window's facts at a device pixel ratio, from the program's code (built
# beside it): the surface's place and frame in logical pixels, and the
# drawing area's size and the circles' radius in device pixels:
# LEFT TOP FRAME AREA_W AREA_H RADIUS.
screen_facts() {
    local tool
    tool=$(dirname "$APP")/chaosgame_window_facts
    [ -x "$tool" ] || { echo "there is no $tool: build the target chaosgame_window_facts" >&2; return 1; }
    "$tool" "$1"
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
    rm -f "${XVFB_LOG:-}"
    if [ -n "${APP_LOG_IS_TEMP:-}" ]; then rm -f "$APP_LOG"; fi
}

# Polls a command until it succeeds, for at most $1 seconds: a state awaited,
# the time only a fuse, far above what the state takes on a busy machine.
# until_gone: until the command fails.
until_ok() {
    local deadline=$(($(date +%s%N) + $1 * 1000000000))
    shift
    until "$@" >/dev/null 2>&1; do
        [ "$(date +%s%N)" -lt "$deadline" ] || return 1
        sleep 0.02
    done
}
fails() { ! "$@"; }
until_gone() { local fuse=$1; shift; until_ok "$fuse" fails "$@"; }

# Whether the X window $1 has the keyboard.
has_focus() { [ "$(xdotool getwindowfocus 2>/dev/null)" = "$1" ]; }

# Waits up to 30 s (a fuse) for a visible window with this exact title; prints its id.
wait_window() {
    local id=""
    for _ in $(seq 1500); do
        id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n1 || true)
        [ -n "$id" ] && break
        sleep 0.02
    done
    echo "$id"
}

# Waits up to 30 s (a fuse) for the program to end; sets EXIT_STATUS.
wait_exit() {
    EXIT_STATUS="still running"
    for _ in $(seq 1500); do
        if ! kill -0 "$APP_PID" 2>/dev/null; then
            wait "$APP_PID"
            EXIT_STATUS=$?
            return 0
        fi
        sleep 0.02
    done
}
