#!/bin/sh
# Full screen under a window manager (openbox, started in the X server the test runs under unless one
# is already there), played with real X input (xdotool): the window covers the screen in 800x600 and
# 1024x768; the turret turns to the point under the crosshair on each side of the tank (the game logs
# each shot's heading); Alt+Enter to a window and back; the focus taken away and given back; menus
# clicked throughout. Screenshots of every step go to OUT_DIR.
#   fullscreen_test.sh PROGRAM SOURCE_DIR OUT_DIR
set -u
program=$1
source_dir=$2
out=$3
mkdir -p "$out"
work=$(mktemp -d "${TMPDIR:-/tmp}/brelvox-fullscreen-XXXXXX")
pid=
wm=
other=
cleanup() {
    for p in $pid $other $wm; do
        kill "$p" 2>/dev/null
    done
    rm -rf "$work"
}
trap cleanup EXIT
cp -r "$source_dir/Data" "$work/Data"
printf 'Windowed = false\r\nScreenWidth = 800\r\nScreenHeight = 600\r\nLanguage = ENG' >"$work/Data/options.txt"

. "$(dirname "$0")/drive_window.sh"
[ -n "${DISPLAY:-}" ] || fail "no X display"
command -v openbox >/dev/null || fail "openbox is not installed"

wm_running() {
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'
}
if ! wm_running; then
    openbox --sm-disable >/dev/null 2>&1 &
    wm=$!
    # Up to 15 s: on a loaded machine openbox can take several seconds to claim the screen.
    for i in $(seq 50); do
        wm_running && break
        kill -0 "$wm" 2>/dev/null || break
        sleep 0.3
    done
    wm_running || fail "openbox did not start"
fi
set -- $(xwininfo -root | awk '/^ *Width:/ {w=$NF} /^ *Height:/ {h=$NF} END {print w, h}')
screen_w=$1
screen_h=$2

"$program" --data "$work" 2>"$work/stderr" &
pid=$!
window=$(timeout 30 xdotool search --sync --name '^Brelvox$' | head -1)
[ -n "$window" ] || fail "no window named Brelvox"
sleep 1.5
xdotool windowactivate "$window" 2>/dev/null

covers_screen() {
    sleep 0.3
    set -- $(client)
    [ "$1 $2 $3 $4" = "0 0 $screen_w $screen_h" ] || fail "$5: the full-screen window is at $1,$2 size $3 x $4"
}

# The back buffer's width: the game's cursor moves one back-buffer pixel per pixel of pointer motion,
# and the game keeps the pointer where its cursor is drawn (the back buffer stretched over the client).
back=800
# Moves the cursor to a point given in 800 x 600 menu pixels.
point_at() {
    set -- "$1" "$2" $(client)
    tx=$(( $3 + $1 * $5 / 800 ))
    ty=$(( $4 + $2 * $6 / 600 ))
    for try in 1 2 3 4 5 6 7 8; do
        eval "$(xdotool getmouselocation --shell)"
        dx=$(( (tx - X) * back / $5 ))
        dy=$(( (ty - Y) * back * 3 / 4 / $6 ))
        [ "$dx" -eq 0 ] && [ "$dy" -eq 0 ] && return 0
        xdotool mousemove_relative -- "$dx" "$dy"
        sleep 0.15
    done
    fail "the cursor did not reach $1,$2 (pointer at $X,$Y, sent to $tx,$ty)"
}
click_at() {
    point_at "$1" "$2"
    xdotool mousedown 1
    sleep 0.1
    xdotool mouseup 1
    sleep 0.3
}
shot() {
    import -window root "$out/fullscreen_$1.png" || fail "no screenshot $1"
}

covers_screen "start in full screen"
shot 01_main_menu
click_at 400 170  # Play
sleep 1.5
alive "Play"
aim 650 313 0 "right"
shot 02_aim_right
aim 150 313 180 "left"
shot 03_aim_left
aim 400 120 90 "ahead"
aim 400 540 270 "behind"

# Alt+Enter: a window of 800 x 600 (the level pauses), then full screen again.
alt_enter() {
    xdotool keydown alt key Return
    sleep 0.3
    xdotool keyup alt
}
alt_enter
sleep 1
set -- $(client)
[ "$3 $4" = "800 600" ] || fail "Alt+Enter: the window is $3 x $4, not 800 x 600"
shot 04_windowed
alt_enter
covers_screen "Alt+Enter back"
shot 05_full_screen_again_paused
click_at 400 220  # Continue
alive "Alt+Enter"
aim 650 313 0 "right after Alt+Enter"

# The focus goes to another window: the game steps aside; given back, it runs again.
xmessage -geometry 300x100+50+50 "elsewhere" &
other=$!
sleep 1
away=$(timeout 10 xdotool search --sync --class Xmessage | head -1)
[ -n "$away" ] || fail "no other window to give the focus to"
xdotool windowactivate "$away" 2>/dev/null
sleep 1
shot 06_focus_away
xdotool windowactivate "$window" 2>/dev/null || xdotool windowmap "$window"
sleep 1
covers_screen "focus back"
click_at 400 220  # Continue: frames run again
aim 150 313 180 "left after the focus came back"
shot 07_focus_back
kill "$other" 2>/dev/null
other=

# The Options screen switches to 1024x768 and back to 800x600, staying full screen.
xdotool key Escape
sleep 0.5
click_at 400 270  # Main menu
click_at 510 420  # Yes
click_at 400 320  # Options
click_at 290 270  # 1024x768
click_at 510 420  # OK
back=1024
covers_screen "1024x768"
shot 08_main_menu_1024
click_at 400 170  # Play
sleep 1.5
aim 650 313 0 "right at 1024x768"
aim 150 313 180 "left at 1024x768"
shot 09_level_1024
xdotool key Escape
sleep 0.5
click_at 400 270  # Main menu
click_at 510 420  # Yes
click_at 400 320  # Options
click_at 290 320  # 800x600
click_at 510 420  # OK
back=800
covers_screen "back to 800x600"
shot 10_main_menu_800
grep -q 'Windowed = false' "$work/Data/options.txt" || fail "options: $(cat "$work/Data/options.txt")"
grep -q 'ScreenWidth = 800' "$work/Data/options.txt" || fail "options: $(cat "$work/Data/options.txt")"

click_at 400 420  # Exit
click_at 510 420  # Yes
ends_cleanly "Exit"
echo "ok: full screen under a window manager"
