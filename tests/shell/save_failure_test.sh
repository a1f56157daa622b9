#!/bin/sh
# A save that fails is shown to the player and loses nothing: the game's Data on a filesystem of its
# own, full (a small tmpfs, as root) or read-only (a folder without write permission, otherwise). The
# Options screen's OK then leaves the old options file whole and no temporary beside it, and the
# notice at the bottom of the screen, read back with tesseract, names the file and the reason. Once
# the disk has room again, the next OK saves. A screenshot (F12) that cannot be written says so the
# same way.
#   save_failure_test.sh PROGRAM SOURCE_DIR OUT_DIR     (on an X server of its own)
set -u
program=$1
source_dir=$2
out=$3
mkdir -p "$out"
. "$(dirname "$0")/drive_window.sh"
make_work_folder "$source_dir" save
disk=$work/disk
mkdir "$disk"
if [ "$(id -u)" -eq 0 ]; then
    mount -t tmpfs -o size=8m tmpfs "$disk" || fail "cannot mount a tmpfs"
    trap 'if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then kill "$pid"; fi; umount "$disk"; rm -rf "$work"' EXIT
    cp -r "$work/Data" "$disk/Data"
    mkdir "$disk/user"
    user=$disk/user
    dd if=/dev/zero of="$disk/filler" bs=4k 2>/dev/null
    reason="No space left on device"
    make_room() { rm -f "$disk/filler"; }
else
    cp -r "$work/Data" "$disk/Data"
    chmod a-w "$disk/Data"
    mkdir "$work/user"
    chmod a-w "$work/user"
    user=$work/user
    reason="Permission denied"
    make_room() { chmod u+w "$disk/Data"; }
fi
before=$(od -An -c "$disk/Data/options.txt")

export XDG_DATA_HOME="$user"
start_game "$program" --data "$disk"
click_at 400 320  # Options
click_at 510 420  # OK
alive "a save that fails"
import -window "$window" "$out/save_failure.png" || fail "no screenshot"
# The notice's line along the bottom, its yellow letters black on white and enlarged for the OCR.
read_notice() {
    convert "$out/$1.png" -crop 800x70+0+530 +repage -fuzz 35% -fill white +opaque "#FFDC40" \
        -fill black -opaque "#FFDC40" -resize 300% "$work/notice.png"
    said=$(tesseract "$work/notice.png" - -l eng --psm 7 2>/dev/null)
    echo "notice: $said"
}
read_notice save_failure
case $said in
*"Could not save Options.txt: $reason"*) ;;
*) fail "the notice reads \"$said\", not \"Could not save Options.txt: $reason\"" ;;
esac
[ "$(od -An -c "$disk/Data/options.txt")" = "$before" ] || fail "the old options file changed"
leftovers=$(ls "$disk/Data" | grep -i '^options\.txt\.' || true)
[ -z "$leftovers" ] || fail "temporaries left: $leftovers"
grep -qi "options.txt.*$reason" "$work/stderr" || fail "the failure is not logged"

press F12
alive "a screenshot that cannot be written"
import -window "$window" "$out/screenshot_failure.png" || fail "no screenshot"
read_notice screenshot_failure
case $said in
*"Could not save "*"$reason"*) ;;
*) fail "after F12 the notice reads \"$said\", not \"Could not save ...: $reason\"" ;;
esac

make_room
click_at 400 320  # Options
click_at 510 320  # Russian
click_at 510 420  # OK
alive "the next save"
expected=$(printf 'Windowed = true\r\nScreenWidth = 800\r\nScreenHeight = 600\r\nLanguage = RUS' | od -An -c)
[ "$(od -An -c "$disk/Data/options.txt")" = "$expected" ] ||
    fail "the next save did not write the options: $(od -c "$disk/Data/options.txt")"
kill -TERM "$pid"
ends_cleanly "the quit request"
echo "ok: $said"
