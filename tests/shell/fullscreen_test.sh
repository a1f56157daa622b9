#!/bin/sh
# Full screen under a window manager (openbox, started in the X server the test runs under unless one
# is already there), played with real X input (xdotool): the window covers the screen in 800x600 and
# 1024x768 (the picture in its shape between bars); the turret turns to the point under the crosshair on each side of the tank (the game logs
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
cap_frames "$work/Data"
[ -n "${DISPLAY:-}" ] || fail "no X display"
start_window_manager
set -- $(xwininfo -root | awk '/^ *Width:/ {w=$NF} /^ *Height:/ {h=$NF} END {print w, h}')
desk_w=$1
desk_h=$2
# The game's screen: full screen at 800x600.
screen_w=800
screen_h=600

"$program" --data "$work" 2>"$work/stderr" &
pid=$!
window=$(timeout 30 xdotool search --sync --name '^Brelvox$' | head -1)
[ -n "$window" ] || fail "no window named Brelvox"
sleep 1.5
xdotool windowactivate "$window" 2>/dev/null

covers_screen() {
    sleep 0.3
    set -- $(client)
    [ "$1 $2 $3 $4" = "0 0 $desk_w $desk_h" ] || fail "$5: the full-screen window is at $1,$2 size $3 x $4"
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
screen_w=
sleep 1
set -- $(client)
[ "$3 $4" = "800 600" ] || fail "Alt+Enter: the window is $3 x $4, not 800 x 600"
shot 04_windowed
alt_enter
screen_w=800
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
screen_w=1024
screen_h=768
click_at 510 420  # OK
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
screen_w=800
screen_h=600
click_at 510 420  # OK
covers_screen "back to 800x600"
shot 10_main_menu_800
grep -q 'Windowed = false' "$work/Data/options.txt" || fail "options: $(cat "$work/Data/options.txt")"
grep -q 'ScreenWidth = 800' "$work/Data/options.txt" || fail "options: $(cat "$work/Data/options.txt")"

click_at 400 420  # Exit
click_at 510 420  # Yes
ends_cleanly "Exit"
echo "ok: full screen under a window manager"
