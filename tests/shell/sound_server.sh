# A PulseAudio server of the test's own whose only sink is a null sink, recorded from its monitor;
# sourced by the tests that listen to the game (after drive_window.sh and make_work_folder). start_server
# sets $server.

export XDG_RUNTIME_DIR="$work/run" HOME="$work/home" PULSE_SERVER="unix:$work/run/native"
mkdir -m 700 "$XDG_RUNTIME_DIR" "$HOME"
server=

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

# Records SECONDS of the null sink into $work/recorded.raw (8 kHz, mono, 16-bit).
record() {
    parec -d test.monitor --raw --format=s16le --rate=8000 --channels=1 >"$work/recorded.raw" &
    recorder=$!
    sleep "$1"
    kill "$recorder"
    wait "$recorder" 2>/dev/null
}

# The RMS amplitude (0..1) of the recording from second START for LENGTH seconds.
rms_of() {
    sox -t raw -r 8000 -e signed -b 16 -c 1 "$work/recorded.raw" -n trim "$1" "$2" stat 2>&1 |
        awk '/^RMS +amplitude/ {print $3}'
}
