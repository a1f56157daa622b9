#!/bin/sh
# A developer's run from the source tree saves its options into Data/options.txt; an install must
# still ship the clean defaults. Copies the source tree, saves other options into the copy's
# Data/options.txt, configures the copy (the program comes already built) and installs it: the
# installed Data/options.txt holds the default options, and Data/defaults is not installed.
#   install_defaults_test.sh SOURCE_DIR PROGRAM
set -u
source_dir=$1
program=$2
work=$(mktemp -d "${TMPDIR:-/tmp}/brelvox-defaults-XXXXXX")
trap 'rm -rf "$work"' EXIT
fail() {
    echo "FAIL: $*" >&2
    exit 1
}

tree=$work/tree
mkdir "$tree"
tar -C "$source_dir" --exclude='./build*' --exclude=./.git -cf - . | tar -C "$tree" -xf - ||
    fail "cannot copy the source tree"
printf 'Windowed = false\r\nScreenWidth = 1024\r\nScreenHeight = 768\r\nLanguage = RUS' >"$tree/Data/options.txt"
cmake -S "$tree" -B "$tree/build" -DBRELVOX_TESTS=OFF -DBRELVOX_TOOLS=OFF >"$work/configure.log" 2>&1 ||
    fail "configure: $(cat "$work/configure.log")"
cp "$program" "$tree/build/brelvox"
cmake --install "$tree/build" --prefix "$work/prefix" >"$work/install.log" 2>&1 ||
    fail "install: $(cat "$work/install.log")"

data=$work/prefix/share/brelvox/Data
expected=$(printf 'Windowed = true\r\nScreenWidth = 800\r\nScreenHeight = 600\r\nLanguage = ENG' | od -An -c)
[ "$(od -An -c "$data/options.txt" 2>/dev/null)" = "$expected" ] ||
    fail "installed options: $(od -c "$data/options.txt" 2>&1)"
[ ! -e "$data/defaults" ] || fail "Data/defaults was installed"
echo "ok: the default options installed"
