#!/bin/sh
# Demos through the real program on the X server the test command runs under.
#   demo_test.sh CASE PROGRAM SOURCE_DIR
# files:  damaged demo files and a demo of other Data each give one line on stderr naming the file and
#         the problem, and exit code 4; a demo cut inside a frame or before its end record replays its
#         whole frames first; a demo whose picture is larger than the display replays in a window that
#         fits it.
# hand:   a session recorded with real X input (xdotool: Play, driving, aiming, firing, a pause), then
#         replayed by --play and by --timedemo in two more processes: all three end in the same world.
set -u
case=$1
program=$2
source_dir=$3
. "$(dirname "$0")/drive_window.sh"
make_work_folder "$source_dir" demo

# Runs the program on a demo; fails unless it exits 4 with one line on stderr naming the demo and
# saying $2.
refused() {
    demo=$1
    says=$2
    shift 2
    "$program" --data "$work" "$@" "$demo" >"$work/stdout" 2>"$work/stderr.all"
    code=$?
    grep -v '^ALSA\|^AL lib\|^\[audio\]' "$work/stderr.all" >"$work/stderr"
    [ $code -eq 4 ] || fail "$demo: exit code $code, not 4: $(cat "$work/stderr")"
    [ "$(wc -l <"$work/stderr")" -eq 1 ] || fail "$demo: not one line: $(cat "$work/stderr")"
    grep -q "$demo" "$work/stderr" || fail "$demo: the file is not named: $(cat "$work/stderr")"
    grep -q "$says" "$work/stderr" || fail "$demo: does not say \"$says\": $(cat "$work/stderr")"
}

digest_of() {
    grep -o 'digest [0-9a-f]* .*' "$1" | head -1
}

case $case in
files)
    good="$work/Data/demos/first-level.dem"
    head -c 40 "$good" >"$work/short.dem"
    refused "$work/short.dem" "header is cut off" --play
    { printf 'NOTADEMO'; tail -c +9 "$good"; } >"$work/magic.dem"
    refused "$work/magic.dem" "not a Brelvox demo" --timedemo
    { head -c 8 "$good"; printf '\011\000\000\000'; tail -c +13 "$good"; } >"$work/newer.dem"
    refused "$work/newer.dem" "version 9" --play
    refused "$work/missing.dem" "No such file" --play
    printf ' ' >>"$work/Data/maps/level4.txt"
    refused "$good" "level4.txt differs" --play
    cp "$source_dir/Data/maps/level4.txt" "$work/Data/maps/level4.txt"
    # Cut inside frame 301 (a frame record is 68 bytes, the end record 5; the digest beside the demo
    # counts its frames): the 300 whole frames replay (the digest is printed), then the complaint. The
    # same when the recording was killed between frames 300 and 301.
    frames=$(grep -o 'frames [0-9]*' "$good.digest" | cut -d' ' -f2)
    header=$(( $(wc -c <"$good") - frames * 68 - 5 ))
    head -c $((header + 300 * 68 + 20)) "$good" >"$work/cut.dem"
    refused "$work/cut.dem" "cut off inside frame 301" --timedemo
    digest_of "$work/stdout" | grep -q "frames 300 " || fail "the cut demo did not replay its whole frames"
    head -c $((header + 300 * 68)) "$good" >"$work/unfinished.dem"
    refused "$work/unfinished.dem" "cut off after frame 300, before the recording ended" --timedemo
    digest_of "$work/stdout" | grep -q "frames 300 " || fail "the unfinished demo did not replay its frames"
    # Larger than any file of ours: refused before it is read.
    cp "$good" "$work/huge.dem"
    truncate -s 1G "$work/huge.dem"
    refused "$work/huge.dem" "file too large" --play
    # A picture of 65535x65535 (the header's width and height follow the game version and the seed):
    # replayed in a window that fits the display, and said so.
    version_length=$(od -An -tu2 -j12 -N2 "$good" | tr -d ' ')
    size_at=$((14 + version_length + 4 + 1))
    { head -c $size_at "$good"; printf '\377\377\377\377'; tail -c +$((size_at + 5)) "$good" |
        head -c $((header - size_at - 4 + 300 * 68)); printf 'E\054\001\000\000'; } >"$work/wide.dem"
    "$program" --data "$work" --play "$work/wide.dem" >"$work/stdout" 2>"$work/stderr" ||
        fail "the 65535x65535 demo: exit code $?: $(cat "$work/stderr")"
    grep -q "its 65535x65535 picture is larger than the .* display; replayed at" "$work/stderr" ||
        fail "the 65535x65535 demo does not say it was fitted: $(cat "$work/stderr")"
    grep -q "ended after 300 of 300 frames" "$work/stdout" || fail "the 65535x65535 demo: $(cat "$work/stdout")"
    ;;
hand)
    [ -n "${DISPLAY:-}" ] || fail "no X display"
    "$program" --data "$work" --record "$work/hand.dem" >"$work/record.out" 2>"$work/record.err" &
    pid=$!
    window=$(timeout 30 xdotool search --sync --name '^Brelvox$' | head -1)
    [ -n "$window" ] || fail "no window named Brelvox"
    sleep 2
    xdotool windowfocus "$window"
    sleep 1
    click_at 400 170  # Play
    sleep 1
    xdotool keydown w
    sleep 1.5
    xdotool keyup w keydown d
    point_at 520 200
    xdotool mousedown 1
    sleep 1
    xdotool mouseup 1 keyup d
    press Escape
    press Escape
    point_at 300 400
    xdotool mousedown 1
    sleep 1
    xdotool mouseup 1
    kill -TERM "$pid"
    wait "$pid"
    code=$?
    pid=
    [ $code -eq 0 ] || fail "recording exit code $code: $(cat "$work/record.err")"
    recorded=$(digest_of "$work/record.out")
    [ -n "$recorded" ] || fail "the recording printed no digest: $(cat "$work/record.out")"
    case $recorded in
    *"level 1 "*) ;;
    *) fail "the recorded session did not reach the level: $recorded" ;;
    esac
    "$program" --data "$work" --play "$work/hand.dem" >"$work/play.out" 2>"$work/play.err" ||
        fail "--play failed: $(cat "$work/play.err")"
    "$program" --data "$work" --timedemo "$work/hand.dem" --size 640x480 >"$work/timedemo.out" 2>"$work/timedemo.err" ||
        fail "--timedemo failed: $(cat "$work/timedemo.err")"
    played=$(digest_of "$work/play.out")
    timed=$(digest_of "$work/timedemo.out")
    [ "$played" = "$recorded" ] || fail "--play ends elsewhere: $played, recorded $recorded"
    [ "$timed" = "$recorded" ] || fail "--timedemo ends elsewhere: $timed, recorded $recorded"
    grep -q 'ratio to floor' "$work/timedemo.out" || fail "no ratio to the floor: $(cat "$work/timedemo.out")"
    [ ! -e "$work/Data/table_of_records.txt" ] || fail "a replay wrote the table of records"
    echo "ok: $recorded"
    ;;
*)
    fail "unknown case $case"
    ;;
esac
