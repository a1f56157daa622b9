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
server=
trap 'for p in $pid $server; do kill "$p" 2>/dev/null; done; rm -rf "$work"' EXIT
export XDG_RUNTIME_DIR="$work/run" HOME="$work/home" PULSE_SERVER="unix:$work/run/native"
mkdir -m 700 "$XDG_RUNTIME_DIR" "$HOME"

start_server() {
    pulseaudio -n --daemonize=no --exit-idle-time=-1 --use-pid-file=no --log-target=stderr \
        -L "module-null-sink sink_name=test" \
        -L "module-native-protocol-unix auth-anonymous=1 socket=$work/run/native" \
        2>>"$work/server.log" &
    server=$!
    for i in 1 2 3 4 5 6 7 8 9 10; do
        pactl info >/dev/null 2>&1 && return
        sleep 0.5
    done
    fail "the sound server does not start: $(tail -5 "$work/server.log")"
}

# Records SECONDS of the null sink and prints how many of its half-seconds are heard.
heard() {
    parec -d test.monitor --raw --format=s16le --rate=8000 --channels=1 >"$work/recorded.raw" &
    recorder=$!
    sleep "$1"
    kill "$recorder"
    wait "$recorder" 2>/dev/null
    loud=0
    half=0
    while [ "$half" -lt $(( $1 * 2 )) ]; do
        rms=$(sox -t raw -r 8000 -e signed -b 16 -c 1 "$work/recorded.raw" -n trim "$(( half / 2 )).$(( half % 2 * 5 ))" 0.5 stat 2>&1 |
            awk '/^RMS +amplitude/ {print $3}')
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
