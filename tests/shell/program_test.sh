#!/bin/sh
# Runs the built program as a player would start it and checks what it leaves behind.
#   program_test.sh CASE PROGRAM SOURCE_DIR
# CASE: screenshot | missing_config | bad_options | close | check | binary_level | no_display |
#       unreachable_display
# ImageMagick's identify reads the screenshot; the game's Data comes from SOURCE_DIR/Data.
set -u
case_name=$1
program=$2
source_dir=$3
work=$(mktemp -d "${TMPDIR:-/tmp}/brelvox-program-XXXXXX")
trap 'rm -rf "$work"' EXIT
cp -r "$source_dir/Data" "$work/Data"

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

case $case_name in
screenshot)
    # Temporaries of saves killed before their rename: the start removes those older than a minute.
    for stale in options.txt.Ab12Cd table_of_records.txt.000000; do
        : >"$work/Data/$stale"
        touch -d '2 minutes ago' "$work/Data/$stale"
    done
    : >"$work/Data/options.txt.Fresh1"
    : >"$work/Data/levels.txt.Ab12Cd"
    touch -d '2 minutes ago' "$work/Data/levels.txt.Ab12Cd"
    "$program" --data "$work" --frames 5 --screenshot "$work/shot.png" 2>"$work/stderr"
    code=$?
    [ $code -eq 0 ] || fail "exit code $code: $(cat "$work/stderr")"
    left=$(cd "$work/Data" && echo *.txt.??????)
    [ "$left" = "levels.txt.Ab12Cd options.txt.Fresh1" ] || fail "temporaries left after the start: $left"
    [ -f "$work/shot.png" ] || fail "no screenshot written"
    size=$(identify -format '%w %h' "$work/shot.png") || fail "identify cannot read the screenshot"
    [ "$size" = "800 600" ] || fail "screenshot is $size, not 800 600"
    # The main menu over the background picture: many colours, not the grey of an empty frame.
    colours=$(identify -format '%k' "$work/shot.png")
    [ "$colours" -gt 100 ] || fail "the first frames show only $colours colours"
    ;;
missing_config)
    rm "$work/Data/Config.txt"
    "$program" --data "$work" --frames 5 --screenshot "$work/shot.png" 2>"$work/stderr"
    code=$?
    [ $code -ne 0 ] || fail "exit code 0 without Config.txt"
    grep -q "Config.txt" "$work/stderr" || fail "stderr does not name Config.txt: $(cat "$work/stderr")"
    [ ! -f "$work/shot.png" ] || fail "a frame ran without Config.txt"
    ;;
bad_options)
    printf 'Windowed = true\r\nScreenWidth = wide\r\nScreenHeight = 600\r\nLanguage = ENG' >"$work/Data/options.txt"
    "$program" --data "$work" --frames 5 2>"$work/stderr"
    code=$?
    [ $code -ne 0 ] || fail "exit code 0 with a malformed options file"
    grep -qi "options.txt" "$work/stderr" || fail "stderr does not name options.txt: $(cat "$work/stderr")"
    ;;
close)
    # A quit request (what the close box sends) ends the loop with exit code 0.
    "$program" --data "$work" 2>"$work/stderr" &
    pid=$!
    sleep 3
    kill -0 $pid 2>/dev/null || fail "the program ended by itself: $(cat "$work/stderr")"
    kill -TERM $pid
    wait $pid
    code=$?
    [ $code -eq 0 ] || fail "exit code $code after the quit request"
    ;;
check)
    # The shipped data passes; a damaged model, level and font description are each named.
    "$program" --data "$work" --check >"$work/stdout" 2>"$work/stderr"
    code=$?
    [ $code -eq 0 ] || fail "--check fails on the shipped data: $(cat "$work/stdout")"
    printf 'xof 0303txt 0032\nMesh {\n 3;\n 1.0; 2' >"$work/Data/Meshes/bullet.x"
    printf 'Width 26 Height' >"$work/Data/maps/level3.txt"
    printf 'twelve glyphs\n' >"$work/Data/Font/font_info.txt"
    "$program" --data "$work" --check >"$work/stdout" 2>"$work/stderr"
    code=$?
    [ $code -ne 0 ] || fail "--check exits 0 with damaged files"
    for name in bullet.x level3.txt font_info.txt; do
        grep -q "$name" "$work/stdout" || fail "--check does not name $name: $(cat "$work/stdout")"
    done
    [ "$(wc -l <"$work/stdout")" -eq 3 ] || fail "not one line per problem: $(cat "$work/stdout")"
    ;;
binary_level)
    # Binary bytes in place of a level: the message names the file and quotes no raw control byte.
    printf 'Width \033[2J\007\001\377\200 Height 4\000\r\n' >"$work/Data/maps/level2.txt"
    head -c 3000 "$program" >>"$work/Data/maps/level2.txt"
    "$program" --data "$work" --check >"$work/stdout" 2>"$work/stderr"
    code=$?
    [ $code -ne 0 ] || fail "--check exits 0 with a binary level"
    grep -q 'level2.txt", line 1: the width "\\x1B\[2J\\x07\\x01' "$work/stdout" ||
        fail "the message does not name the file and quote the width: $(cat "$work/stdout")"
    LC_ALL=C grep -q '[[:cntrl:]]' "$work/stdout" "$work/stderr" && fail "a raw control byte in: $(cat -v "$work/stdout")"
    ;;
no_display)
    # No desktop (over ssh, on a text console): one line naming both variables, at once, and no window;
    # --check and --help need none.
    nothing="env -u DISPLAY -u WAYLAND_DISPLAY -u WAYLAND_SOCKET -u SDL_VIDEODRIVER"
    timeout 20 $nothing "$program" --data "$work" 2>"$work/stderr"
    code=$?
    [ $code -ne 0 ] && [ $code -ne 124 ] || fail "exit code $code without a display: $(cat "$work/stderr")"
    grep -v '^ALSA\|^AL lib' "$work/stderr" >"$work/said"
    [ "$(wc -l <"$work/said")" -eq 1 ] && grep DISPLAY "$work/said" | grep -q WAYLAND_DISPLAY ||
        fail "not one line naming DISPLAY and WAYLAND_DISPLAY: $(cat "$work/stderr")"
    $nothing "$program" --data "$work" --check >"$work/stdout" 2>&1 || fail "--check without a display: $(cat "$work/stdout")"
    $nothing "$program" --help | grep -q -- --check || fail "--help without a display"
    ;;
unreachable_display)
    # DISPLAY names an X server that is not there (it was stopped, or the name is wrong): SDL would run
    # the game on a driver that shows nothing; the game says which display does not answer, and stops.
    number=9$$
    while [ -e "/tmp/.X11-unix/X$number" ]; do number=$((number + 1)); done
    timeout 20 env -u WAYLAND_DISPLAY -u WAYLAND_SOCKET -u SDL_VIDEODRIVER DISPLAY=:$number \
        "$program" --data "$work" 2>"$work/stderr"
    code=$?
    [ $code -ne 0 ] && [ $code -ne 124 ] || fail "exit code $code with no X server at :$number: $(cat "$work/stderr")"
    grep -q "DISPLAY=:$number" "$work/stderr" || fail "the display is not named: $(cat "$work/stderr")"
    ;;
*)
    fail "unknown case $case_name"
    ;;
esac
echo "ok: $case_name"
