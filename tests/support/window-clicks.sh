# Sourced by the end-to-end tests that drive the real window with X input (xdotool).
#   wait_for_window PID   waits until PID's window is shown and maximized; sets $window
#   click X Y [COUNT]     clicks at a point in the window's own coordinates, where the stored layout puts
#                         the control
#   error_shown PID       true when PID shows a message box titled "Error"

wait_for_window() {
    window="$(timeout 30 xdotool search --all --sync --onlyvisible --pid "$1" --name '^Quibrel! v0\.2$' | head -n 1)"
    [ -n "$window" ] || { echo "the window did not show"; return 1; }
    for _ in $(seq 100); do # the window manager maximizes it after it is mapped
        [ "$(xwininfo -id "$window" | awk '/Width:/ { print $2 }')" -ge 1200 ] && break
        sleep 0.1
    done
    sleep 0.3
}

click() {
    local left top
    left="$(xwininfo -id "$window" | awk '/Absolute upper-left X:/ { print $4 }')"
    top="$(xwininfo -id "$window" | awk '/Absolute upper-left Y:/ { print $4 }')"
    xdotool mousemove "$((left + $1))" "$((top + $2))" click --repeat "${3:-1}" --delay 80 1
    sleep 0.3
}

error_shown() {
    [ -n "$(xdotool search --all --onlyvisible --pid "$1" --name '^Error$')" ]
}
