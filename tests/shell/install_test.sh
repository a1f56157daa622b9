#!/bin/sh
# Installs the game into a temporary prefix as a packager would, checks what lands where (desktop entry
# and AppStream metadata against their validators, icons, manual page), makes the whole prefix
# read-only and plays the installed program from another folder with XDG_DATA_HOME set to a scratch
# folder: --check passes; --fullscreen takes the screen without saving anything; the Options screen
# saved through the real window lands in the per-user folder with the design's bytes; F12 writes a
# screenshot there; and the installed tree is byte for byte what was installed.
#   install_test.sh BUILD_DIR OUT_DIR     (on an X server of its own: it starts a window manager)
set -u
test_dir=$(cd "$(dirname "$0")" && pwd)
build=$1
out=$2
mkdir -p "$out"
work=$(mktemp -d "${TMPDIR:-/tmp}/brelvox-install-XXXXXX")
prefix=$work/prefix
xdg=$work/xdg
user=$xdg/brelvox
id=io.github.brelvox.Brelvox
pid=
wm=
cleanup() {
    if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then
        kill "$pid"
    fi
    [ -n "$wm" ] && kill "$wm" 2>/dev/null
    chmod -R u+w "$work" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
fail() {
    echo "FAIL: $*" >&2
    [ -f "$work/stderr" ] && grep -v '^ALSA\|^AL lib' "$work/stderr" >&2
    exit 1
}

cmake --install "$build" --prefix "$prefix" >"$work/install.log" 2>&1 || fail "install: $(cat "$work/install.log")"
for f in bin/brelvox share/brelvox/Data/Config.txt share/brelvox/Data/options.txt \
    share/brelvox/Data/Meshes/player.x share/brelvox/Data/maps/levels.txt \
    share/applications/$id.desktop share/metainfo/$id.metainfo.xml share/man/man6/brelvox.6; do
    [ -f "$prefix/$f" ] || fail "not installed: $f"
done
[ -x "$prefix/bin/brelvox" ] || fail "bin/brelvox is not executable"
[ -z "$(find "$prefix/share/brelvox/Data" -iname 'table_of_records.txt*')" ] || fail "a table of records was installed"
for size in 48 64 128 256; do
    icon=$prefix/share/icons/hicolor/${size}x$size/apps/$id.png
    [ "$(identify -format '%w %h' "$icon" 2>/dev/null)" = "$size $size" ] || fail "icon $icon is not $size x $size"
done
desktop-file-validate "$prefix/share/applications/$id.desktop" || fail "desktop-file-validate"
appstreamcli validate --no-net "$prefix/share/metainfo/$id.metainfo.xml" >"$work/appstream.log" 2>&1 ||
    fail "appstreamcli: $(cat "$work/appstream.log")"
warnings=$(LC_ALL=C.UTF-8 groff -man -Tutf8 -ww -z "$prefix/share/man/man6/brelvox.6" 2>&1)
[ -z "$warnings" ] || fail "the manual page: $warnings"

(cd "$prefix" && find . -type f -exec sha256sum {} + | sort) >"$work/installed.sums"
chmod -R a-w "$prefix"
mkdir -p "$work/elsewhere" "$xdg"
cd "$work/elsewhere" || fail "no folder to start from"
export XDG_DATA_HOME="$xdg"
program=$prefix/bin/brelvox

"$program" --check >"$work/check.out" 2>&1 || fail "--check: $(cat "$work/check.out")"
"$program" --help | grep -q 'XDG_DATA_HOME/brelvox' || fail "--help does not say where the files are"

[ -n "${DISPLAY:-}" ] || fail "no X display"
screen=$(xdpyinfo | awk '/dimensions:/ {print $2}')
# A desktop's window manager: full screen is the window manager's to grant.
openbox >/dev/null 2>&1 &
wm=$!
sleep 1

# Full screen for one run only: the window covers the screen, and nothing is saved.
. "$test_dir/drive_window.sh"
start_game "$program" --fullscreen
set -- $(client)
[ "$3x$4" = "$screen" ] || fail "--fullscreen: the window is $3 x $4, the screen $screen"
kill -TERM "$pid"
ends_cleanly "the quit request"
[ ! -e "$user/options.txt" ] || fail "--fullscreen was saved: $(cat "$user/options.txt")"

start_game "$program" --windowed
shot install_01_main_menu
click_at 400 320  # Options
click_at 510 320  # Russian
click_at 290 270  # 1024x768
click_at 510 420  # OK
sleep 2
alive "saving the options"
expected=$(printf 'Windowed = true\r\nScreenWidth = 1024\r\nScreenHeight = 768\r\nLanguage = RUS' | od -An -c)
[ "$(od -An -c "$user/options.txt" 2>/dev/null)" = "$expected" ] ||
    fail "options in the per-user folder: $(od -c "$user/options.txt" 2>&1)"

press F12
for i in 1 2 3 4 5; do
    ls "$user"/screenshots/brelvox-*.png >/dev/null 2>&1 && break
    sleep 1
done
picture=$(ls "$user"/screenshots/brelvox-*.png 2>/dev/null | head -1)
[ -n "$picture" ] || fail "F12 wrote no screenshot into $user/screenshots"
case $(basename "$picture") in
brelvox-[0-9][0-9][0-9][0-9][0-9][0-9][0-9][0-9]-[0-9][0-9][0-9][0-9][0-9][0-9].png) ;;
*) fail "screenshot name $(basename "$picture")" ;;
esac
[ "$(identify -format '%w %h' "$picture")" = "1024 768" ] || fail "the screenshot is not 1024 x 768"
grep -q "screenshot written to $picture" "$work/stderr" || fail "the screenshot's path is not logged"
cp "$picture" "$out/install_02_f12.png"

click_at 400 420  # Exit
click_at 510 420  # Yes
ends_cleanly "Exit"

(cd "$prefix" && find . -type f -exec sha256sum {} + | sort) >"$work/after.sums"
cmp -s "$work/installed.sums" "$work/after.sums" || fail "the installed tree changed: $(diff "$work/installed.sums" "$work/after.sums")"
echo "ok: installed"
