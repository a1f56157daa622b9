#!/bin/sh
# The level editor played as a person would, in the real window under openbox with real X input
# (xdotool): Construction from the main menu, a new level, brick walls painted by a drag, the base, the
# start, the second player's start and two spawn points placed from the number keys, a block of water,
# saved under a name, tried with F5 and left through the pause menu back to the editor, an edit left
# unsaved (leaving asks first), then played again from "My levels" with its score shown.
# Checks the saved level file and its list in the per-user folder, and leaves a screenshot of every
# screen in OUT_DIR.
#   construction_test.sh PROGRAM SOURCE_DIR OUT_DIR
set -u
program=$1
source_dir=$2
out=$3
mkdir -p "$out"
. "$(dirname "$0")/drive_window.sh"
make_work_folder "$source_dir" construction
cap_frames "$work/Data"
[ -n "${DISPLAY:-}" ] || fail "no X display"
start_window_manager
export XDG_DATA_HOME="$work/xdg"
levels="$XDG_DATA_HOME/brelvox/levels"
start_game "$program" --data "$work"

# The centre of cell (X, Y) of a new 26 x 26 level in 800 x 600 menu pixels: the editor's camera looks
# straight down on the middle of the map with a 90-degree view from 26 * 0.6 units up.
cell_x() { echo $(( (4000 + ($1 * 10 + 5 - 130) * 10000 / 520) / 10 )); }
cell_y() { echo $(( (3000 + ($1 * 10 + 5 - 130) * 10000 / 520) / 10 )); }
click_cell() {
    click_at "$(cell_x "$1")" "$(cell_y "$2")"
}

shot construction_01_main_menu
click_at 400 470  # Construction
shot construction_02_construction
click_at 400 220  # New level
shot construction_03_new_level
click_at 510 420  # Create: 26 x 26
sleep 2
alive "a new level"
shot construction_04_empty_level

# Brick walls (the tool in hand at first) in one drag along row 10, columns 8 to 16.
xdotool windowfocus "$window"
point_at "$(cell_x 8)" "$(cell_y 10)"
xdotool mousedown 1
sleep 0.3
for x in 9 10 11 12 13 14 15 16; do
    point_at "$(cell_x $x)" "$(cell_y 10)"
done
sleep 0.3
xdotool mouseup 1
sleep 1
press 5
click_cell 12 22  # the base
press 6
click_cell 7 22   # the start
press 7
click_cell 9 22   # the second player's start
press 8
click_cell 2 2    # two spawn points
click_cell 22 2
press 4           # water, a 2 x 2 block
press b
click_cell 18 14
shot construction_05_level_built

click_at 725 437  # Save
shot construction_06_save
xdotool type --delay 200 xmine
sleep 1
click_at 510 420  # Save
sleep 1
shot construction_07_saved
[ -f "$levels/xmine.txt" ] || fail "no $levels/xmine.txt"
grep -q 'xmine.txt' "$levels/levels.txt" || fail "xmine.txt is not in the list: $(cat "$levels/levels.txt")"
# Row 10 (the 13th line) holds the bricks in columns 8 to 16; the pieces are where they were put.
row=$(sed -n 13p "$levels/xmine.txt" | tr -d '\r')
[ "$row" = "0 0 0 0 0 0 0 0 1 1 1 1 1 1 1 1 1 0 0 0 0 0 0 0 0 0" ] || fail "row 10 is \"$row\""
tr -d '\r' <"$levels/xmine.txt" | grep -q '^Base X 12$' || fail "the base is not at column 12"
tr -d '\r' <"$levels/xmine.txt" | grep -q '^Player Y 22$' || fail "the start is not at row 22"
tr -d '\r' <"$levels/xmine.txt" | grep -q '^Spawns 2$' || fail "not two spawn points"
tr -d '\r' <"$levels/xmine.txt" | tail -2 | tr '\n' ' ' | grep -q '^Second X 9 Second Y 22 $' ||
    fail "the second start is not at (9, 22) at the end: $(tail -3 "$levels/xmine.txt")"
row=$(sed -n 18p "$levels/xmine.txt" | tr -d '\r' | cut -d' ' -f18-21)
[ "$row" = "0 3 3 0" ] || fail "row 15, columns 17 to 20, is \"$row\""

press F5  # Try
sleep 4
alive "Try"
shot construction_08_try
press Escape
click_at 400 270  # the pause menu's Main menu
click_at 510 420  # Yes: back to the editor
sleep 1
alive "leaving Try"
shot construction_09_back_in_editor

press 2
click_cell 3 3    # an edit left unsaved: leaving asks first
press Escape
shot construction_09b_leave_without_saving
alive "the question before leaving"
click_at 510 420  # Yes: back to Construction
click_at 400 320  # My levels
shot construction_10_my_levels
click_at 270 150  # the first level: xmine
sleep 4
alive "playing from My levels"
shot construction_11_my_level_in_play
press Escape
click_at 400 270
click_at 510 420
shot construction_12_score
click_at 400 420  # OK
click_at 400 510  # Back
click_at 400 420  # Exit
click_at 510 420  # Yes
ends_cleanly "Exit"
echo "ok: built, saved, tried and played a level"
