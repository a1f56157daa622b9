#!/bin/sh
# The player's volumes as a sound server hears them (PulseAudio with a null sink, recorded from its
# monitor): a level is played from its start with each settings file and five seconds of it recorded.
# The effects are off throughout, so what is heard is the music: at 50 % its RMS level is within 1 dB
# of -6 dB against 100 %, at 0 it is silence (below -60 dBFS), muted it is silence, and un-muted (the
# next start) it is heard again.
#   volume_test.sh PROGRAM SOURCE_DIR     (on an X server of its own)
set -u
program=$1
source_dir=$2
. "$(dirname "$0")/drive_window.sh"
make_work_folder "$source_dir" volume
trap 'for p in $pid $server; do kill "$p" 2>/dev/null; done; rm -rf "$work"' EXIT
. "$(dirname "$0")/sound_server.sh"

# The music's RMS amplitude over five seconds of a level played with the settings given.
level_with() {
    printf '%s\n' "$@" >"$work/Data/settings.txt"
    cap_frames "$work/Data"
    start_game "$program" --data "$work"
    click_at 400 170  # Play
    alive "the start of the level"
    record 6
    kill -TERM "$pid"
    ends_cleanly "the quit request"
    rms_of 0.5 5
}

db() {
    awk -v a="$1" -v b="$2" 'BEGIN {if (a <= 0 || b <= 0) print "-inf"; else printf "%.2f\n", 20 * log(a / b) / log(10)}'
}

start_server
muted=$(level_with "MusicVolume = 100" "EffectsVolume = 100" "Mute = true")
# Un-muted, the full level (what 50 % and 0 % are measured against).
full=$(level_with "MusicVolume = 100" "EffectsVolume = 0" "Mute = false")
half=$(level_with "MusicVolume = 50" "EffectsVolume = 0")
none=$(level_with "MusicVolume = 0" "EffectsVolume = 0")
echo "music RMS: muted $muted, un-muted at 100 % $full, 50 % $half ($(db "$half" "$full") dB), 0 % $none"
awk -v f="${full:-0}" 'BEGIN {exit !(f > 0.01)}' || fail "un-muted, the music is not heard at 100 % ($full)"
awk -v h="${half:-0}" -v f="$full" 'BEGIN {d = 20 * log(h / f) / log(10); exit !(h > 0 && d > -7.02 && d < -5.02)}' ||
    fail "at 50 % the music is $(db "$half" "$full") dB against 100 %, not -6 dB within 1 dB"
awk -v n="${none:-1}" 'BEGIN {exit !(n < 0.001)}' || fail "at 0 % the music is still heard ($none)"
awk -v m="${muted:-1}" 'BEGIN {exit !(m < 0.001)}' || fail "muted, the level is still heard ($muted)"
