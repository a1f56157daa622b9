#!/bin/sh
# The game on a real Wayland compositor: weston with its X11 backend, its output covering the X server
# the test runs under, and the game on SDL's Wayland driver with no X display of its own. Real X input
# (xdotool) goes to weston's window, which hands it to the focused Wayland window. The window opens
# with its decorations; full screen (Alt+Enter) covers the output and the window comes back
# (Alt+Enter again); the turret fires where the crosshair points in the window, in full screen between
# bars and in the window again; the quit request ends the game; full screen at the desktop's
# resolution aims on every side. Screenshots of the X screen (what weston shows) go to OUT_DIR.
#   wayland_test.sh PROGRAM SOURCE_DIR OUT_DIR
set -u
program=$1
out=$3
mkdir -p "$out"
. "$(dirname "$0")/drive_window.sh"
[ -n "${DISPLAY:-}" ] || fail "no X display"
command -v weston >/dev/null || fail "weston is not installed"
make_work_folder "$2" wayland
cap_frames "$work/Data"
weston=
cleanup() {
    for p in $pid $weston; do
        kill "$p" 2>/dev/null
    done
    rm -rf "$work"
}
trap cleanup EXIT

set -- $(xwininfo -root | awk '/^ *Width:/ {w=$NF} /^ *Height:/ {h=$NF} END {print w, h}')
desk_w=$1
desk_h=$2
# A plain background, no panel, no screen lock: what is not the background is the game's window.
background='#204060'
printf '[core]\nidle-time=0\n[shell]\nbackground-color=0xff204060\npanel-position=none\n' >"$work/weston.ini"
export XDG_RUNTIME_DIR="$work/run"
mkdir -m 700 "$XDG_RUNTIME_DIR"
socket=brelvox-test
weston --config="$work/weston.ini" --backend=x11-backend.so --socket=$socket --use-pixman \
    --width="$desk_w" --height="$desk_h" >"$work/weston.log" 2>&1 &
weston=$!
window=$(timeout 30 xdotool search --sync --class '^Weston Compositor$' | head -1)
for i in $(seq 50); do
    [ -S "$XDG_RUNTIME_DIR/$socket" ] && break
    sleep 0.2
done
[ -n "$window" ] && [ -S "$XDG_RUNTIME_DIR/$socket" ] || fail "weston did not start: $(cat "$work/weston.log")"

# The window's frame on the screen, its shadow and weston's pointer (where the X pointer is) left out
# ("W H X Y"); the client area is its bottom part.
frame() {
    eval "$(xdotool getmouselocation --shell)"
    import -window root "$work/frame.png" &&
        convert "$work/frame.png" -fill "$background" -draw "rectangle $((X - 8)),$((Y - 8)) $((X + 40)),$((Y + 40))" \
            -bordercolor "$background" -border 1 -fuzz 12% -format '%@' info: 2>/dev/null |
        tr 'x+' '  ' | awk '{print $1, $2, $3 - 1, $4 - 1}'
}
# Waits for the game's window to show its 800 x 600 client area under a title bar.
windowed() {
    step=$1
    for i in $(seq 40); do
        set -- $(frame) 0 0 0 0
        [ "$1" -eq 800 ] && [ "$2" -gt 600 ] && [ "$2" -lt 660 ] && break
        sleep 0.5
    done
    [ "$1" -eq 800 ] && [ "$2" -gt 600 ] && [ "$2" -lt 660 ] || fail "$step: the window's frame is $1 x $2"
    client_at="$3 $(($4 + $2 - 600)) 800 600"
}
# The client area as point_at (drive_window.sh) reaches it.
client() {
    echo "$client_at"
}
# Waits for the game to cover weston's whole output: no more of the background than a few pixels of
# the game's own picture that happen to have its colour.
covers_screen() {
    for i in $(seq 20); do
        sleep 0.5
        import -window root "$work/frame.png"
        covered=$(convert "$work/frame.png" -transparent "$background" -alpha extract -format '%[fx:mean > 0.99]' info:)
        [ "$covered" = 1 ] && break
    done
    [ "$covered" = 1 ] || fail "$1: the desktop still shows"
    # The 4:3 picture between bars; Wayland lets no program move the pointer, so the game's cursor goes
    # where the pointer is.
    client_at="$(( (desk_w - desk_h * 4 / 3) / 2 )) 0 $((desk_h * 4 / 3)) $desk_h"
}
alt_enter() {
    xdotool keydown alt key Return
    sleep 0.3
    xdotool keyup alt
}

# Weston's X11 backend moves its pointer by the X pointer's motion and takes the X pointer's position
# only when the X pointer enters its window, which covers the X screen here: the one enter comes when
# the window maps, and weston may not have its output yet to take it. Both pointers stop at the same
# edges, so pushing the X pointer into opposite corners brings weston's to where it is, and it stays
# there (the first motion makes sure the X pointer moves into the first corner).
xdotool mousemove $((desk_w / 2)) $((desk_h / 2))
sleep 0.2
xdotool mousemove 0 0
sleep 0.2
xdotool mousemove $((desk_w - 1)) $((desk_h - 1))
sleep 0.2
# No X display for the game: only the Wayland driver can open its window.
start=$(date +%s)
env -u DISPLAY WAYLAND_DISPLAY=$socket SDL_VIDEODRIVER=wayland "$program" --data "$work" 2>"$work/stderr" &
pid=$!
xdotool windowfocus "$window"
windowed "start"
shot wayland_01_main_menu
alive "the start"
click_at 400 170  # Play
sleep 1.5
aim 650 313 0 "right in the window"
aim 150 313 180 "left in the window"
shot wayland_02_window_level

# Full screen at 800 x 600: the picture between bars, the level paused; it goes on and aims there too.
alt_enter
covers_screen "Alt+Enter to full screen"
shot wayland_03_full_screen_paused
click_at 400 220  # Continue
aim 400 120 90 "ahead in full screen between bars"
aim 650 313 0 "right in full screen between bars"
shot wayland_04_full_screen_level

# Back to the window, 800 x 600 again, where the level goes on and aims as before.
alt_enter
windowed "Alt+Enter back to the window"
shot wayland_05_window_paused
click_at 400 220  # Continue
aim 400 540 270 "behind in the window again"
# The quit request (what the close box sends) ends the game.
kill -TERM "$pid"
ends_cleanly "the quit request"

# Full screen at the desktop's own resolution from the start: the game covers the output, and the
# turret fires where the crosshair points on every side.
printf 'Windowed = false\r\nScreenWidth = %s\r\nScreenHeight = %s\r\nLanguage = ENG' "$desk_w" "$desk_h" \
    >"$work/Data/options.txt"
env -u DISPLAY WAYLAND_DISPLAY=$socket SDL_VIDEODRIVER=wayland "$program" --data "$work" 2>"$work/stderr" &
pid=$!
covers_screen "full screen at the desktop's resolution"
client_at="0 0 $desk_w $desk_h"
shot wayland_06_full_screen_menu
click_at 400 170  # Play
sleep 1.5
aim 650 313 0 "right in full screen"
aim 150 313 180 "left in full screen"
aim 400 120 90 "ahead in full screen"
aim 400 540 270 "behind in full screen"
shot wayland_07_full_screen_level
kill -TERM "$pid"
ends_cleanly "the quit request in full screen"
echo "ok: the game under weston in $(($(date +%s) - start)) s"
