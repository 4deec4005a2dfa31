#!/usr/bin/env bash
# The real program's command line and start-up failures: each case ends with
# its exact one line and status, with a working X server at hand, so that a
# failure must name what failed rather than the display.
set -uo pipefail
APP=$1
source "$(dirname "$0")/xsession.sh"
trap stop_x EXIT
start_x || exit 1
free=99  # a display no X server is on
while [ -e "/tmp/.X${free}-lock" ] || [ -e "/tmp/.X11-unix/X${free}" ]; do free=$((free + 1)); done

plugin='chaosgame: the Qt platform plugin "bogus" was not found (available: *xcb*)'
# status | environment (for env) | arguments | the output, as a pattern
cases=(
    "1||-platform bogus|$plugin"
    "1|QT_QPA_PLATFORM=bogus||$plugin"
    "1||-display :$free|chaosgame: cannot open the display \":$free\""
    "1|-u DISPLAY|-display :$free|chaosgame: cannot open the display \":$free\""
    "1|DISPLAY=:$free||chaosgame: cannot open the display \":$free\""
    "1|-u DISPLAY -u WAYLAND_DISPLAY||chaosgame: cannot open the display: neither DISPLAY nor WAYLAND_DISPLAY is set"
    "1||--bogus|chaosgame: Unknown option '--bogus'."
    "1||-bogus=1|chaosgame: Unknown option '-bogus'."
    "1||-v extra|chaosgame: Unexpected argument 'extra'."
    "1||--help stray|chaosgame: Unexpected argument 'stray'."
    "1||-platform|chaosgame: Missing value after '-platform'."
    "0|-u DISPLAY|--version|chaosgame [0-9]*.[0-9]*.[0-9]*"
)
failures=0
for entry in "${cases[@]}"; do
    IFS='|' read -r status environment arguments expected <<<"$entry"
    # shellcheck disable=SC2086  # the fields are word lists
    output=$(timeout 20 env $environment "$APP" $arguments 2>&1)
    got=$?
    # shellcheck disable=SC2053  # a pattern
    if [[ $output != $expected || $got != "$status" ]]; then
        echo "FAIL: 'chaosgame $arguments' ($environment): status $got, said: $output"
        failures=$((failures + 1))
    fi
done
[ "$failures" -eq 0 ] && echo "command line: all ${#cases[@]} cases passed"
exit "$failures"
