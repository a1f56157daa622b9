#!/bin/sh
# The sound comes back after the sound server goes away: the game plays a level through a PulseAudio
# server of the test's own, whose only sink is a null sink recorded from its monitor. The server is
# killed in the middle of the level and started again; the game goes on, and a few seconds later
# the music is heard again. A half-second counts as heard when its RMS level is above -40 dBFS.
#   sound_test.sh PROGRAM SOURCE_DIR     (on an X server of its own)
set -u
program=$1
source_dir=$2
. "$(dirname "$0")/drive_window.sh"
make_work_folder "$source_dir" sound
cap_frames "$work/Data"
trap 'for p in $pid $server; do kill "$p" 2>/dev/null; done; rm -rf "$work"' EXIT
. "$(dirname "$0")/sound_server.sh"

# Records SECONDS of the null sink and prints how many of its half-seconds are heard.
heard() {
    record "$1"
    loud=0
    half=0
    while [ "$half" -lt $(( $1 * 2 )) ]; do
        rms=$(rms_of "$(( half / 2 )).$(( half % 2 * 5 ))" 0.5)
        awk -v r="${rms:-0}" 'BEGIN {exit !(r > 0.01)}' && loud=$(( loud + 1 ))
        half=$(( half + 1 ))
    done
    echo "$loud"
}

start_server
start_game "$program" --data "$work"
click_at 400 170  # Play
alive "the start of the level"
before=$(heard 5)
echo "heard before the server went away: $before of 10 half-seconds"
[ "$before" -ge 8 ] || fail "the level is not heard through the sound server ($before of 10)"

kill -KILL "$server"
wait "$server" 2>/dev/null
sleep 4
alive "four seconds without a sound server"
grep -q "sound device went away" "$work/stderr" || fail "the game did not notice the sound device go away"

start_server
sleep 4  # the game tries a device again every two seconds
alive "the sound server's return"
after=$(heard 8)
echo "heard after the server came back: $after of 16 half-seconds"
[ "$after" -ge 14 ] || fail "the game is not heard again after the server came back ($after of 16)"
grep -q "sound device is there again" "$work/stderr" || fail "the return of the sound is not logged"
kill -TERM "$pid"
ends_cleanly "the quit request"
