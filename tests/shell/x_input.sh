# Real X input to the game's window, for the test scripts (sourced; needs $window, the window id).
# Points are given in 800 x 600 menu pixels and scaled to the client area.

# The client area's origin and size on the screen.
client() {
    xwininfo -id "$window" | awk '/Absolute upper-left X/ {x=$NF} /Absolute upper-left Y/ {y=$NF}
        /^ *Width:/ {w=$NF} /^ *Height:/ {h=$NF} END {print x, y, w, h}'
}

# Moves the game's cursor to a point given in 800 x 600 menu pixels. The game moves its own cursor by
# the mouse's motion and puts the system pointer there, so relative motion is what it sees.
point_at() {
    set -- "$1" "$2" $(client)
    tx=$(( $3 + $1 * $5 / 800 ))
    ty=$(( $4 + $2 * $6 / 600 ))
    # A motion that arrives while the game puts the pointer back where its cursor was can be lost (a
    # real mouse moves again at once); try again until the pointer is where it was sent.
    for try in 1 2 3 4 5; do
        eval "$(xdotool getmouselocation --shell)"
        [ "$X" -eq "$tx" ] && [ "$Y" -eq "$ty" ] && break
        xdotool mousemove_relative -- $(( tx - X )) $(( ty - Y ))
        sleep 0.5
    done
}

# A click the frame loop cannot miss: the button stays down for a few frames.
click_at() {
    xdotool windowfocus "$window"
    point_at "$1" "$2"
    xdotool mousedown 1
    sleep 0.3
    xdotool mouseup 1
    sleep 1
}

press() {
    xdotool windowfocus "$window"
    xdotool keydown "$1"
    sleep 0.3
    xdotool keyup "$1"
    sleep 1
}

