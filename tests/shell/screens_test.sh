#!/bin/sh
# The game on a screen of any shape, under a window manager (openbox, started here unless one runs),
# played with real X input (xdotool) on the X server's screen as it is (the test runs it at 16:9, 21:9
# and 5:4):
# - full screen at the desktop's resolution fills the screen; every main-menu screen opens and closes
#   (tesseract reads each one); in a level a heart of the HUD and the aiming cursor keep the shape of
#   their textures (within 3%), and the turret fires towards points on the four sides of the tank;
# - full screen at 800x600 (from the Options screen) shows the picture in its shape between black bars,
#   the HUD and aim (across and along the view) as before; the chooser's arrow brings back the
#   desktop's resolution;
# - a window, resized by the window manager (xdotool windowsize), keeps aim and clicks.
# Screenshots of every step go to OUT_DIR.
#   screens_test.sh PROGRAM SOURCE_DIR OUT_DIR
set -u
program=$1
source_dir=$2
out=$3
mkdir -p "$out"
work=$(mktemp -d "${TMPDIR:-/tmp}/brelvox-screens-XXXXXX")
pid=
wm=
cleanup() {
    for p in $pid $wm; do
        kill "$p" 2>/dev/null
    done
    rm -rf "$work"
}
trap cleanup EXIT
cp -r "$source_dir/Data" "$work/Data"

. "$(dirname "$0")/drive_window.sh"
cap_frames "$work/Data"
[ -n "${DISPLAY:-}" ] || fail "no X display"
command -v tesseract >/dev/null || fail "tesseract is not installed"
start_window_manager
set -- $(xwininfo -root | awk '/^ *Width:/ {w=$NF} /^ *Height:/ {h=$NF} END {print w, h}')
desk_w=$1
desk_h=$2
name="${desk_w}x${desk_h}"
printf 'Windowed = false\r\nScreenWidth = %s\r\nScreenHeight = %s\r\nLanguage = ENG' "$desk_w" "$desk_h" \
    >"$work/Data/options.txt"

# The button stays down for a few frames: a wide screen's frames are slow under software rendering.
click_at() {
    point_at "$1" "$2"
    xdotool mousedown 1
    sleep 0.4
    xdotool mouseup 1
    sleep 0.6
}
shot() {
    import -window root "$out/screens_${name}_$1.png" || fail "no screenshot $1"
}
# The text tesseract reads in the screenshot $1 must hold $2; $3..$6: only the part x y width height
# of it, in 800 x 600 menu pixels.
reads() {
    file="$out/screens_${name}_$1.png"
    if [ -n "${3:-}" ]; then
        set -- "$1" "$2" "$3" "$4" "$5" "$6" $(menu_area)
        convert "$file" -crop "$(( $5 * $9 / 800 ))x$(( $6 * ${10} / 600 ))+$(( $7 + $3 * $9 / 800 ))+$(( $8 + $4 * ${10} / 600 ))" \
            +repage -negate "$work/part.png"
        file="$work/part.png"
    fi
    tesseract "$file" - 2>/dev/null | tr '\n' ' ' >"$work/ocr"
    grep -qi "$2" "$work/ocr" || fail "$1: no \"$2\" on the screen, read: $(cat "$work/ocr")"
}
covers_screen() {
    sleep 0.5
    set -- $(client)
    [ "$1 $2 $3 $4" = "0 0 $desk_w $desk_h" ] || fail "$5: the full-screen window is at $1,$2 size $3 x $4"
}

# The width to height ratio of the box around the pixels passing the ImageMagick -fx test $2 in the
# region $3 x $4 + $5 + $6 of the screenshot $1 (of a texture, drawn over black, without a region).
box_ratio() {
    if [ -n "${3:-}" ]; then crop="-crop ${3}x${4}+${5}+${6} +repage"; else crop="-background black -alpha remove"; fi
    # shellcheck disable=SC2086
    convert "$1" $crop -fx "$2 ? 1 : 0" -format '%@' info: |
        awk -F'[x+]' '$1 > 0 && $2 > 0 { printf "%.4f %dx%d\n", $1 / $2, $1, $2 }'
}
red_heart='r > 0.6 && g < 0.4 && b < 0.45'
red_ring='r > 0.55 && g < 0.3 && b < 0.3'
heart_ratio=$(box_ratio "$source_dir/Data/Textures/life.png" "$red_heart" | cut -d' ' -f1)
cursor_ratio=$(box_ratio "$source_dir/Data/Textures/guncursor.png" "$red_ring" | cut -d' ' -f1)
[ -n "$heart_ratio" ] && [ -n "$cursor_ratio" ] || fail "the textures' shapes cannot be measured"
# $1's ratio (and box) against $2 within 3%.
same_shape() {
    set -- "$1" "$2" "$3"
    awk -v got="$1" -v want="$2" 'BEGIN { d = got / want - 1; exit (d < -0.03 || d > 0.03) }' ||
        fail "$3: width to height $1 ($4), the texture's $2"
    echo "$3: width to height $1 against $2"
}
# In a level: the first heart at the HUD's top left and the aiming cursor at a point of the view.
hud_shapes() {
    point_at 600 450
    sleep 0.5
    shot "$1_hud"
    set -- "$1" $(picture)
    shot_file="$out/screens_${name}_$1_hud.png"
    # The HUD is 1024 x 768 at the menus' scale from the picture's top-left corner; a heart is 50 pixels
    # of it at (10, 10), the cursor 40 menu pixels or more.
    hud_h=$(( $5 < $4 * 3 / 4 ? $5 : $4 * 3 / 4 ))
    side=$(( 75 * hud_h / 768 ))
    set -- "$1" $(box_ratio "$shot_file" "$red_heart" "$side" "$side" "$2" "$3")
    [ -n "${2:-}" ] || fail "$1: no heart at the HUD's top left"
    same_shape "$2" "$heart_ratio" "$1: heart" "$3"
    eval "$(xdotool getmouselocation --shell)"
    half=$(( 40 * hud_h / 768 + 10 ))
    set -- "$1" $(box_ratio "$shot_file" "$red_ring" $(( 2 * half )) $(( 2 * half )) $(( X - half )) $(( Y - half )))
    [ -n "${2:-}" ] || fail "$1: no aiming cursor at $X,$Y"
    same_shape "$2" "$cursor_ratio" "$1: aiming cursor" "$3"
}

four_sides() {
    aim 650 313 0 "$1 right"
    aim 150 313 180 "$1 left"
    aim 400 120 90 "$1 ahead"
    aim 400 540 270 "$1 behind"
}
# Two sides, across and along, after a change of mode: the four are aimed at the desktop's resolution.
two_sides() {
    aim 650 313 0 "$1 right"
    aim 400 120 90 "$1 ahead"
}
play_level() {
    click_at 400 170  # Play
    sleep 2
    alive "Play ($1)"
    hud_shapes "$1"
    $2 "$1"
    shot "$1_level"
    xdotool key Escape
    sleep 0.5
    click_at 400 270  # Main menu
    click_at 510 420  # Yes
}

"$program" --data "$work" 2>"$work/stderr" &
pid=$!
# A window that comes and goes while xdotool looks (SDL's first, hidden one) can fail a search.
window=
for try in 1 2 3; do
    window=$(timeout 30 xdotool search --sync --name '^Brelvox$' 2>/dev/null | head -1)
    [ -n "$window" ] && break
done
[ -n "$window" ] || fail "no window named Brelvox"
sleep 1.5
xdotool windowactivate "$window" 2>/dev/null

# Full screen at the desktop's resolution.
screen_w=$desk_w
screen_h=$desk_h
covers_screen "full screen at $name"
shot 01_main_menu
reads 01_main_menu "Table of records" 300 150 200 250
click_at 400 220  # Table of records
shot 02_records
reads 02_records "Unnamed"
click_at 400 420  # OK
click_at 400 270  # Help
shot 03_help
reads 03_help "Moving"
click_at 400 495  # OK
click_at 400 370  # Author
shot 04_author
reads 04_author "Brelvox team"
click_at 400 420  # OK
click_at 400 320  # Options
shot 05_options
reads 05_options "desktop" 230 350 340 40
click_at 290 420  # Cancel
play_level native four_sides

# Full screen at 800x600: the picture in its shape between bars.
click_at 400 320  # Options
click_at 290 320  # 800x600
click_at 510 420  # OK
screen_w=800
screen_h=600
covers_screen "full screen at 800x600"
shot 06_main_menu_800
set -- $(picture)
if [ "$3 $4" != "$desk_w $desk_h" ]; then
    # A pixel of the bar beside the picture is black; the picture's own edge is not.
    if [ "$1" -gt 0 ]; then bar="0,$(( desk_h / 2 ))"; edge="$1,$(( desk_h / 2 ))"; else bar="$(( desk_w / 2 )),0"; edge="$(( desk_w / 2 )),$2"; fi
    at() { convert "$out/screens_${name}_06_main_menu_800.png" -format "%[pixel:p{$1}]" info:; }
    [ "$(at "$bar")" = "black" ] || [ "$(at "$bar")" = "srgb(0,0,0)" ] || fail "800x600: the bar at $bar is $(at "$bar")"
    case "$(at "$edge")" in black | "srgb(0,0,0)") fail "800x600: the picture's edge at $edge is black" ;; esac
    echo "800x600: bars beside a picture of $3 x $4 at $1,$2"
fi
play_level 800x600 two_sides
# The chooser's arrow from 800x600, the last size, round to the first: the desktop's own.
click_at 400 320  # Options
click_at 590 370  # >
shot 07_options_desktop
reads 07_options_desktop "$desk_w" 230 350 340 40
click_at 510 420  # OK
screen_w=$desk_w
screen_h=$desk_h
covers_screen "back to $name"
grep -q "ScreenWidth = $desk_w" "$work/Data/options.txt" || fail "options: $(cat "$work/Data/options.txt")"

# A window, resized by the window manager: the screen follows the client area.
xdotool keydown alt key Return
sleep 0.3
xdotool keyup alt
sleep 1
xdotool windowsize "$window" $(( desk_w * 2 / 3 )) $(( desk_h / 2 ))
sleep 1.5
screen_w=
screen_h=
set -- $(client)
[ "$3" -eq $(( desk_w * 2 / 3 )) ] && [ "$4" -eq $(( desk_h / 2 )) ] ||
    fail "the window is $3 x $4 after the resize"
shot 08_window_resized
play_level resized two_sides
grep -q "ScreenWidth = $desk_w" "$work/Data/options.txt" || fail "the resize was saved: $(cat "$work/Data/options.txt")"

click_at 400 420  # Exit
click_at 510 420  # Yes
ends_cleanly "Exit"
echo "ok: every screen at $name"
