#!/bin/sh
# A program asked for --help prints its options on stdout and exits 0, without needing a display
# or the game's data (it runs with no X server and from an empty folder).
#   help_test.sh PROGRAM
set -u
program=$1
work=$(mktemp -d "${TMPDIR:-/tmp}/brelvox-help-XXXXXX")
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
env -u DISPLAY -u WAYLAND_DISPLAY "$program" --help >"$work/stdout" 2>"$work/stderr"
code=$?
fail() {
    echo "FAIL: $(basename "$program") --help: $*" >&2
    echo "stdout:" >&2
    cat "$work/stdout" >&2
    echo "stderr:" >&2
    cat "$work/stderr" >&2
    exit 1
}
[ $code -eq 0 ] || fail "exit code $code"
# Its options, written the way the program takes them.
grep -Eq -- '--[a-z][a-z_-]+' "$work/stdout" || fail "no option listed on stdout"
[ "$(ls -A "$work")" = "$(printf 'stderr\nstdout')" ] || fail "it wrote files: $(ls -A "$work")"
echo "ok: $(basename "$program") --help"
