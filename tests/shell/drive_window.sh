# Driving the game's window with real X input events (xdotool), sourced by the tests that play the
# real program. The caller sets $out (where screenshots go) and $work (a scratch folder, the program's
# stderr in $work/stderr); start_game sets $pid and $window.

fail() {
    echo "FAIL: $*" >&2
    [ -f "$work/stderr" ] && grep -v '^ALSA\|^AL lib' "$work/stderr" >&2
    exit 1
}

# A scratch folder $work with a copy of the game's Data (from $1) set to an 800x600 window in
# English, removed on exit together with the program if it still runs; $2 names the folder.
make_work_folder() {
    work=$(mktemp -d "${TMPDIR:-/tmp}/brelvox-$2-XXXXXX")
    pid=
    trap 'if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then kill "$pid"; fi; rm -rf "$work"' EXIT
    cp -r "$1/Data" "$work/Data"
    printf 'Windowed = true\r\nScreenWidth = 800\r\nScreenHeight = 600\r\nLanguage = ENG' >"$work/Data/options.txt"
}

# Caps the game in the Data folder $1 at 30 frames a second (its settings.txt): these tests wait on
# the clock, not on frames, and a game drawing as fast as software rendering lets it takes both
# processors from the tests that run beside it. The play, demo and settings tests keep the default.
cap_frames() {
    printf 'FrameCap = 30\n' >>"$1/settings.txt"
}

# Starts the program with the given arguments (stderr to $work/stderr) and waits for its window.
start_game() {
    "$@" 2>"$work/stderr" &
    pid=$!
    window=$(timeout 30 xdotool search --sync --name '^Brelvox$' | head -1)
    [ -n "$window" ] || fail "no window named Brelvox ($*)"
    sleep 2
    xdotool windowfocus "$window"
    sleep 1
}

# The client area's origin and size on the screen.
client() {
    xwininfo -id "$window" | awk '/Absolute upper-left X/ {x=$NF} /Absolute upper-left Y/ {y=$NF}
        /^ *Width:/ {w=$NF} /^ *Height:/ {h=$NF} END {print x, y, w, h}'
}

# The largest rectangle of shape $1:$2 centred in an area $3 x $4 at ($5, $6): x y width height.
fit() {
    awk -v sw="$1" -v sh="$2" -v aw="$3" -v ah="$4" -v ax="$5" -v ay="$6" 'BEGIN {
        w = aw; h = ah
        if (aw * sh > ah * sw) w = int(ah * sw / sh); else if (aw * sh < ah * sw) h = int(aw * sh / sw)
        print ax + int((aw - w) / 2), ay + int((ah - h) / 2), w, h }'
}
# The game's screen ($screen_w x $screen_h: full screen at that size; unset, a window the screen
# follows) on the desktop, and its
# 4:3 menu area: x y width height each.
picture() {
    set -- $(client)
    if [ -n "${screen_w:-}" ]; then fit "$screen_w" "$screen_h" "$3" "$4" "$1" "$2"; else echo "$1 $2 $3 $4"; fi
}
menu_area() {
    set -- $(picture)
    fit 4 3 "$3" "$4" "$1" "$2"
}

# Moves the game's cursor to a point given in 800 x 600 pixels of the menu area (in a level: of the 4:3
# view around the tank, which the menu area shows at any shape). The game moves its own cursor by the
# mouse's motion, one desktop pixel per pixel, and puts the system pointer there, so relative motion
# is what it sees; a motion that arrives while the game puts the pointer back can be lost (a real
# mouse moves again at once): it tries again until the pointer is where it was sent.
point_at() {
    set -- "$1" "$2" $(menu_area)
    tx=$(( $3 + $1 * $5 / 800 ))
    ty=$(( $4 + $2 * $6 / 600 ))
    for try in 1 2 3 4 5 6 7 8; do
        eval "$(xdotool getmouselocation --shell)"
        [ "$X" -eq "$tx" ] && [ "$Y" -eq "$ty" ] && return 0
        xdotool mousemove_relative -- $(( tx - X )) $(( ty - Y ))
        sleep 0.2
    done
    fail "the cursor did not reach $1,$2 (pointer at $X,$Y, sent to $tx,$ty)"
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

# Aims at a point (800 x 600 menu pixels) and fires; the shot's heading (degrees from +x towards +z:
# 0 right, 90 ahead, 180 left, 270 behind) must be within 6 degrees of the expected one (the game logs
# each shot's heading in $work/stderr). The camera follows the tank, which stands at (400, 313) of
# 800 x 600.
aim() {
    # A shot of the last aim's clicks may still come (a slow machine runs few frames a second): the
    # count starts once none has come for a while.
    shots=$(grep -c 'fires at heading' "$work/stderr")
    for try in 1 2 3 4 5 6; do
        sleep 0.4
        [ "$(grep -c 'fires at heading' "$work/stderr")" -eq "$shots" ] && break
        shots=$(grep -c 'fires at heading' "$work/stderr")
    done
    point_at "$1" "$2"
    # The tank may still be coming in, or the gun reloading (a slow machine runs few frames a second).
    for try in 1 2 3 4 5 6 7 8 9 10; do
        xdotool mousedown 1
        sleep 0.1
        xdotool mouseup 1
        sleep 0.2
        [ "$(grep -c 'fires at heading' "$work/stderr")" -gt "$shots" ] && break
        sleep 0.5
    done
    [ "$(grep -c 'fires at heading' "$work/stderr")" -gt "$shots" ] || fail "$4: no shot fired"
    heading=$(grep 'fires at heading' "$work/stderr" | tail -1 | awk '{print $NF}')
    off=$(( (heading - $3 + 540) % 360 - 180 ))
    [ "$off" -ge -6 ] && [ "$off" -le 6 ] || fail "$4: aimed for heading $3, the turret fired at $heading"
    echo "$4: heading $heading"
}

press() {
    xdotool windowfocus "$window"
    xdotool keydown "$1"
    sleep 0.3
    xdotool keyup "$1"
    sleep 1
}

shot() {
    import -window root "$out/$1.png" || fail "no screenshot $1"
}

alive() {
    kill -0 "$pid" 2>/dev/null || fail "the program ended during: $1"
}

# Waits up to ten seconds for the program to end; fails unless it ended with status 0.
ends_cleanly() {
    for i in 1 2 3 4 5 6 7 8 9 10; do
        kill -0 "$pid" 2>/dev/null || break
        sleep 1
    done
    kill -0 "$pid" 2>/dev/null && fail "the program goes on after $1"
    wait "$pid"
    code=$?
    pid=
    [ $code -eq 0 ] || fail "exit code $code after $1"
}

# Starts openbox on the X server unless a window manager runs there already.
wm_running() {
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'
}
start_window_manager() {
    command -v openbox >/dev/null || fail "openbox is not installed"
    wm_running && return
    # Once in a few hundred starts on a loaded machine openbox exits at once; it is started a second
    # time then, and what it said both times is shown if that fails too.
    for attempt in 1 2; do
        openbox --sm-disable >"$work/openbox-$attempt.log" 2>&1 &
        wm=$!
        # Up to 15 s: on a loaded machine openbox can take several seconds to claim the screen.
        for i in $(seq 50); do
            wm_running && return
            kill -0 "$wm" 2>/dev/null || break
            sleep 0.3
        done
        wm_running && return
        kill -0 "$wm" 2>/dev/null && break  # running, but without the screen: not started again
    done
    fail "openbox did not start: $(cat "$work/openbox-1.log" "$work/openbox-2.log" 2>/dev/null)"
}
