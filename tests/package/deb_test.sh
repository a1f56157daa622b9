#!/bin/sh
# Makes the Debian package with cpack in the build folder and checks it with Debian's own tools: the
# name dpkg's architecture and the changelog's version give, dependencies found by dpkg-shlibdeps, no
# lintian error. Installs it with dpkg into an empty root of its own (as root, else under fakeroot):
# the files are the install tree under /usr, with the program in /usr/games, the manual page
# compressed and the copyright file and changelog beside; the installed program passes --check and plays five frames at the default
# options. Purged, it leaves nothing in the root.
#   deb_test.sh BUILD_DIR SOURCE_DIR     (on an X server)
set -u
build=$1
source_dir=$2
work=$(mktemp -d "${TMPDIR:-/tmp}/brelvox-deb-XXXXXX")
trap 'rm -rf "$work"' EXIT
fail() {
    echo "FAIL: $*" >&2
    exit 1
}
as_root=
[ "$(id -u)" -eq 0 ] || as_root=fakeroot

(cd "$build" && cpack -G DEB -B "$work/out") >"$work/cpack.log" 2>&1 || fail "cpack: $(cat "$work/cpack.log")"
version=$(dpkg-parsechangelog -l "$source_dir/cmake/debian/changelog" -S Version)
name=brelvox_${version}_$(dpkg --print-architecture).deb
deb=$work/out/$name
[ -f "$deb" ] || fail "no $name among: $(ls "$work/out")"
echo "$name: $(stat -c %s "$deb") bytes"
depends=$(dpkg-deb -f "$deb" Depends)
for library in libc6 libsdl2-2.0-0 libepoxy0 libopenal1 libpng16-16 zlib1g; do
    echo "$depends" | grep -q "\\b$library\\b" || fail "Depends lacks $library: $depends"
done
lintian --fail-on error "$deb" || fail "lintian reports errors"

root=$work/root
mkdir -p "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/updates"
: >"$root/var/lib/dpkg/status"
dpkg_root() {
    $as_root dpkg --root="$root" --log="$work/dpkg.log" "$@" >>"$work/dpkg.out" 2>&1 ||
        fail "dpkg $*: $(cat "$work/dpkg.out")"
}
# Its dependencies are the host's, not the empty root's.
dpkg_root --force-depends --install "$deb"

cmake --install "$build" --prefix "$work/plain" >"$work/install.log" 2>&1 || fail "install: $(cat "$work/install.log")"
(cd "$work/plain" && find . -type f | sed 's|^\./|./usr/|; s|^\./usr/bin/|./usr/games/|; s|/man6/brelvox\.6$|/man6/brelvox.6.gz|'
    echo ./usr/share/doc/brelvox/copyright
    echo ./usr/share/doc/brelvox/changelog.Debian.gz) | sort >"$work/expected.list"
(cd "$root" && find ./usr -type f | sort) >"$work/installed.list"
cmp -s "$work/expected.list" "$work/installed.list" ||
    fail "the package's files differ from the install tree: $(diff "$work/expected.list" "$work/installed.list")"
zcat "$root/usr/share/man/man6/brelvox.6.gz" | cmp -s - "$source_dir/desktop/brelvox.6" || fail "the manual page"

export XDG_DATA_HOME="$work/xdg"
program=$root/usr/games/brelvox
"$program" --check >"$work/check.out" 2>&1 || fail "--check: $(cat "$work/check.out")"
"$program" --frames 5 --screenshot "$work/shot.png" >"$work/frames.out" 2>&1 ||
    fail "--frames 5: $(cat "$work/frames.out")"
[ "$(identify -format '%w %h' "$work/shot.png" 2>/dev/null)" = "800 600" ] ||
    fail "five frames at the default options: $(identify "$work/shot.png" 2>&1)"

dpkg_root --purge brelvox
left=$(cd "$root" && find . -mindepth 1 ! -path ./var ! -path ./var/lib ! -path './var/lib/dpkg*')
[ -z "$left" ] || fail "left after the purge: $left"
! grep -qx 'Package: brelvox' "$root/var/lib/dpkg/status" || fail "dpkg still knows brelvox after the purge"
echo "ok: the Debian package"
