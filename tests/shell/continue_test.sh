#!/bin/sh
# "Continue" in the main menu of the real program under a window manager (openbox), with real X input:
# a fresh per-user folder has no Continue; one whose progress.txt says level 3 shows "Continue from
# level 3" above Play in English, Ukrainian and Russian (read back with tesseract), and a click on it
# starts a level (that it is level 3 is the headless ContinueTest's). Screenshots go to OUT_DIR.
#   continue_test.sh PROGRAM SOURCE_DIR OUT_DIR     (on an X server of its own)
set -u
program=$1
source_dir=$2
out=$3
mkdir -p "$out"
. "$(dirname "$0")/drive_window.sh"
make_work_folder "$source_dir" continue
cap_frames "$work/Data"
command -v openbox >/dev/null || fail "openbox is not installed"
command -v tesseract >/dev/null || fail "tesseract is not installed"
if ! xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; then
    openbox --sm-disable >/dev/null 2>&1 &
    wm=$!
    trap 'kill "$wm" 2>/dev/null; if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then kill "$pid"; fi; rm -rf "$work"' EXIT
    for i in $(seq 50); do
        xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
        sleep 0.3
    done
fi
export XDG_DATA_HOME="$work/user"

# The text of the button above Play (260, 100, 280 x 40 of 800 x 600), enlarged for the OCR.
continue_text() {
    import -window "$window" "$out/$1.png" || fail "no screenshot $1"
    set -- "$1" "$2" $(client)
    convert "$out/$1.png" -crop $(( 280 * $5 / 800 ))x$(( 40 * $6 / 600 ))+$(( 260 * $5 / 800 ))+$(( 100 * $6 / 600 )) \
        +repage -colorspace gray -resize 300% "$work/button.png"
    # A Cyrillic OCR may read the digit 3 as the letter Ze.
    tesseract "$work/button.png" - -l "$2" --psm 7 2>/dev/null | sed 's/З *$/3/'
}

start_game "$program" --data "$work"
said=$(continue_text continue_fresh eng)
echo "fresh: $said"
case $said in *ontinue*) fail "a fresh per-user folder shows \"$said\"" ;; esac
kill -TERM "$pid"
ends_cleanly "the fresh start"

mkdir -p "$XDG_DATA_HOME/brelvox"
printf 'Reached 3\r\n' >"$XDG_DATA_HOME/brelvox/progress.txt"
for language in UKR:ukr RUS:rus ENG:eng; do
    code=${language%:*}
    ocr=${language#*:}
    printf 'Windowed = true\r\nScreenWidth = 800\r\nScreenHeight = 600\r\nLanguage = %s' "$code" \
        >"$work/Data/options.txt"
    # The last run's window may still be going away: the search for the new one must not meet it.
    for i in $(seq 30); do
        xdotool search --name '^Brelvox$' >/dev/null 2>&1 || break
        sleep 0.3
    done
    start_game "$program" --data "$work"
    said=$(continue_text "continue_$ocr" "$ocr")
    echo "$code: $said"
    case $code:$said in
    UKR:*"Продовжити з рівня 3"* | RUS:*"Продолжить с уровня 3"* | ENG:*"Continue from level 3"*) ;;
    *) fail "the $code main menu reads \"$said\" above Play" ;;
    esac
    if [ "$code" = ENG ]; then
        click_at 400 120  # Continue
        sleep 2
        alive "Continue"
        import -window "$window" "$out/continue_level3.png" || fail "no screenshot continue_level3"
        hud=$(convert "$out/continue_level3.png" -crop 100%x10%+0+0 +repage -resize 300% png:- |
            tesseract - - -l eng --psm 6 2>/dev/null)
        case $hud in *Score*) ;; *) fail "no level after Continue: the top of the screen reads \"$hud\"" ;; esac
        press Escape  # the level runs: Escape pauses it
        alive "pausing the level"
        shot continue_paused
    fi
    kill -TERM "$pid"
    ends_cleanly "the $code menu"
done
