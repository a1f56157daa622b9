#!/bin/sh
# A game for two in the real program under a window manager (openbox, started unless one runs), with
# real X input events (xdotool): "Two players" from the main menu; the second player drives with the
# arrow keys, turns the turret with "," and fires with Right Ctrl while the first aims with the mouse
# and fires with the left button; then pause (no shot goes off while paused) and resume. The shots are
# checked in the game's log; a screenshot of every step is left in OUT_DIR.
#   two_players_test.sh PROGRAM SOURCE_DIR OUT_DIR
set -u
program=$1
source_dir=$2
out=$3
mkdir -p "$out"
. "$(dirname "$0")/drive_window.sh"
make_work_folder "$source_dir" two
cap_frames "$work/Data"
[ -n "${DISPLAY:-}" ] || fail "no X display"
command -v openbox >/dev/null || fail "openbox is not installed"
if ! xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; then
    openbox --sm-disable >/dev/null 2>&1 &
    for i in $(seq 50); do
        xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
        sleep 0.3
    done
fi
start_game "$program" --data "$work"

fired() {  # the number of shots of the first ("fires") or second ("second player fires") player
    grep -c "^\[player\] $1 at heading" "$work/stderr"
}

click_at 190 470  # Two players
sleep 3
alive "Two players"
shot two_01_level
[ "$(fired 'second player fires')" -eq 0 ] || fail "the second player fired before any key"

# The second player drives right: the hull turns to 90 and the turret follows it.
xdotool windowfocus "$window"
xdotool keydown Right
sleep 1.5
xdotool keyup Right
sleep 1
press Control_R
alive "the second player driving and firing"
shot two_02_second_drove_and_fired
grep -q "^\[player\] second player fires at heading 0$" "$work/stderr" ||
    fail "the second player's turret did not follow the hull to heading 0: $(grep 'second player' "$work/stderr")"

# ",": the second turret turns anticlockwise, and the next shot leaves at another heading.
xdotool keydown comma
sleep 0.4
xdotool keydown Control_R
sleep 0.2
xdotool keyup Control_R keyup comma
sleep 1
grep "^\[player\] second player fires at heading" "$work/stderr" | grep -vq "heading 0$" ||
    fail "the second player's turret did not turn with ','"

# The first player aims with the mouse and fires.
point_at 150 150
xdotool mousedown 1
sleep 0.4
xdotool mouseup 1
sleep 1
[ "$(fired fires)" -ge 1 ] || fail "the first player did not fire"
shot two_03_first_aimed_and_fired

# Paused for both: no shot goes off; resumed, both fire again.
press Escape
shot two_04_paused
first=$(fired fires)
second=$(fired 'second player fires')
xdotool windowfocus "$window"
xdotool keydown Control_R
sleep 0.5
xdotool keyup Control_R
[ "$(fired 'second player fires')" -eq "$second" ] || fail "a shot went off while paused"
press Escape
sleep 0.5
xdotool windowfocus "$window"
xdotool keydown Control_R
xdotool mousedown 1
sleep 0.5
xdotool keyup Control_R
xdotool mouseup 1
sleep 1
alive "resumed"
shot two_05_resumed_both_fired
[ "$(fired 'second player fires')" -gt "$second" ] || fail "the second player did not fire after the pause"
[ "$(fired fires)" -gt "$first" ] || fail "the first player did not fire after the pause"
kill "$pid"
wait "$pid" 2>/dev/null
pid=
echo "ok: both players drove, aimed and fired; the pause held both"
