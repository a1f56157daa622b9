#!/bin/sh
# Plays the real program as a person would, with real X input events (xdotool) on the X server the test
# command runs under: the main menu, a level (drive with W and D, aim with the mouse, fire), pause and
# resume with Escape, the Exit confirmation from the pause menu, the Options screen (another language and
# 1024x768), then Exit from the main menu. Checks the options file, the window's new size and the exit
# code, and leaves a screenshot of every screen in OUT_DIR.
#   play_test.sh PROGRAM SOURCE_DIR OUT_DIR
set -u
program=$1
source_dir=$2
out=$3
mkdir -p "$out"
work=$(mktemp -d "${TMPDIR:-/tmp}/brelvox-play-XXXXXX")
pid=
cleanup() {
    if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then
        kill "$pid"
    fi
    rm -rf "$work"
}
trap cleanup EXIT
cp -r "$source_dir/Data" "$work/Data"
printf 'Windowed = true\r\nScreenWidth = 800\r\nScreenHeight = 600\r\nLanguage = ENG' >"$work/Data/options.txt"

fail() {
    echo "FAIL: $*" >&2
    [ -f "$work/stderr" ] && grep -v '^ALSA\|^AL lib' "$work/stderr" >&2
    exit 1
}
[ -n "${DISPLAY:-}" ] || fail "no X display"

"$program" --data "$work" 2>"$work/stderr" &
pid=$!
window=$(timeout 30 xdotool search --sync --name '^Brelvox$' | head -1)
[ -n "$window" ] || fail "no window named Brelvox"
sleep 2
xdotool windowfocus "$window"
sleep 1

# client, point_at, click_at, press: real X input to the window "$window".
. "$(dirname "$0")/x_input.sh"

shot() {
    import -window root "$out/play_$1.png" || fail "no screenshot $1"
}

alive() {
    kill -0 "$pid" 2>/dev/null || fail "the program ended during: $1"
}

shot 01_main_menu
click_at 400 170  # Play
sleep 2
alive "Play"
shot 02_level
xdotool windowfocus "$window"
xdotool keydown w
sleep 2
xdotool keydown d
sleep 1.5
xdotool keyup w keyup d
point_at 520 200
xdotool mousedown 1
sleep 1
xdotool mouseup 1
sleep 0.5
alive "driving and firing"
shot 03_driving_and_firing
press Escape
shot 04_paused
press Escape
shot 05_resumed
press Escape
click_at 400 270  # the pause menu's Main menu
shot 06_exit_from_pause
click_at 510 420  # Yes: the level stops
shot 07_main_menu_again
alive "leaving the level"

click_at 400 320  # Options
shot 08_options
click_at 510 320  # Russian
click_at 290 270  # 1024x768
shot 09_options_chosen
click_at 510 420  # OK
sleep 2
alive "applying the options"
shot 10_main_menu_russian_1024

grep -q 'ScreenWidth = 1024' "$work/Data/options.txt" || fail "options not saved: $(cat "$work/Data/options.txt")"
grep -q 'ScreenHeight = 768' "$work/Data/options.txt" || fail "height not saved: $(cat "$work/Data/options.txt")"
grep -q 'Language = RUS' "$work/Data/options.txt" || fail "language not saved: $(cat "$work/Data/options.txt")"
set -- $(client)
[ "$3" = 1024 ] && [ "$4" = 768 ] || fail "the window is $3 x $4, not 1024 x 768"

click_at 400 420  # Exit
shot 11_exit_from_main_menu
click_at 510 420  # Yes
for i in 1 2 3 4 5 6 7 8 9 10; do
    kill -0 "$pid" 2>/dev/null || break
    sleep 1
done
kill -0 "$pid" 2>/dev/null && fail "the program goes on after Exit"
wait "$pid"
code=$?
pid=
[ $code -eq 0 ] || fail "exit code $code"
echo "ok: played"
