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
. "$(dirname "$0")/drive_window.sh"
make_work_folder "$source_dir" play
[ -n "${DISPLAY:-}" ] || fail "no X display"
start_game "$program" --data "$work"

shot play_01_main_menu
click_at 400 170  # Play
sleep 2
alive "Play"
shot play_02_level
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
shot play_03_driving_and_firing
press Escape
shot play_04_paused
press Escape
shot play_05_resumed
press Escape
click_at 400 270  # the pause menu's Main menu
shot play_06_exit_from_pause
click_at 510 420  # Yes: the level stops
shot play_07_main_menu_again
alive "leaving the level"

click_at 400 320  # Options
shot play_08_options
click_at 510 320  # Russian
click_at 290 270  # 1024x768
shot play_09_options_chosen
click_at 510 420  # OK
sleep 2
alive "applying the options"
shot play_10_main_menu_russian_1024

grep -q 'ScreenWidth = 1024' "$work/Data/options.txt" || fail "options not saved: $(cat "$work/Data/options.txt")"
grep -q 'ScreenHeight = 768' "$work/Data/options.txt" || fail "height not saved: $(cat "$work/Data/options.txt")"
grep -q 'Language = RUS' "$work/Data/options.txt" || fail "language not saved: $(cat "$work/Data/options.txt")"
set -- $(client)
[ "$3" = 1024 ] && [ "$4" = 768 ] || fail "the window is $3 x $4, not 1024 x 768"

click_at 400 420  # Exit
shot play_11_exit_from_main_menu
click_at 510 420  # Yes
ends_cleanly "Exit"
echo "ok: played"
