#!/bin/sh
# The player's settings kept across a restart, in the real window under a window manager (openbox,
# started unless one is there) with real X input: Options, Controls, drive up moved to the Up arrow
# (the second player's drive up takes W in exchange), "Player 2", the second player's fire on Space;
# Options, Sound, the music slider dragged to the middle; the game quits; started again it shows both,
# the settings file holds both, and the options file is byte for byte what it was. Screenshots of each
# step go to OUT_DIR.
#   settings_test.sh PROGRAM SOURCE_DIR OUT_DIR
set -u
program=$1
source_dir=$2
out=$3
mkdir -p "$out"
. "$(dirname "$0")/drive_window.sh"
make_work_folder "$source_dir" settings
wm=
trap 'for p in $pid $wm; do kill "$p" 2>/dev/null; done; rm -rf "$work"' EXIT
rm -f "$work/Data/settings.txt"
cp "$work/Data/options.txt" "$work/options.before"
if ! xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; then
    openbox --sm-disable >/dev/null 2>&1 &
    wm=$!
    sleep 3
fi

start_game "$program" --data "$work"
click_at 400 320  # Options
click_at 510 480  # Controls
shot controls-before
click_at 315 155  # drive up's key
press Up
shot controls-after
click_at 315 114  # the switch to the second player's keys
shot controls-player2
click_at 315 301  # the second player's fire
press space
shot controls-player2-after
click_at 400 505  # OK
click_at 290 480  # Sound
xdotool windowfocus "$window"
point_at 300 200  # on the music slider, then dragged to its middle
xdotool mousedown 1
sleep 0.3
point_at 355 200
sleep 0.3
xdotool mouseup 1
sleep 1
shot sound-after
click_at 400 440  # OK
click_at 290 420  # Cancel: the options are left as they were
kill -TERM "$pid"
ends_cleanly "the quit request"

[ -f "$work/Data/settings.txt" ] || fail "no settings.txt was written"
grep -qx 'DriveUp = 200' "$work/Data/settings.txt" || fail "drive up is not on the Up arrow: $(cat "$work/Data/settings.txt")"
grep -qx 'Player2DriveUp = 17' "$work/Data/settings.txt" || fail "the second player's drive up did not take W"
grep -qx 'Player2Fire = 57' "$work/Data/settings.txt" || fail "the second player's fire is not on Space"
music=$(awk -F' = ' '$1 == "MusicVolume" {print $2}' "$work/Data/settings.txt")
[ "${music:-100}" -ge 40 ] && [ "${music:-100}" -le 60 ] || fail "the music volume is $music, not about 50"
cmp -s "$work/options.before" "$work/Data/options.txt" || fail "the options file changed"

start_game "$program" --data "$work"
click_at 400 320  # Options
click_at 510 480  # Controls
shot controls-restarted
grep -q "settings" "$work/stderr" && fail "the settings file was not read cleanly: $(grep settings "$work/stderr")"
click_at 400 505  # OK
click_at 290 480  # Sound
shot sound-restarted
kill -TERM "$pid"
ends_cleanly "the second quit request"
grep -qx 'DriveUp = 200' "$work/Data/settings.txt" || fail "drive up was not kept"
grep -qx 'Player2Fire = 57' "$work/Data/settings.txt" || fail "the second player's fire was not kept"
grep -qx "MusicVolume = $music" "$work/Data/settings.txt" || fail "the music volume was not kept"
cmp -s "$work/options.before" "$work/Data/options.txt" || fail "the options file changed"
echo "kept: DriveUp = 200, MusicVolume = $music; the options file unchanged"
