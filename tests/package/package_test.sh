#!/usr/bin/env bash
# Makes the Debian package of a desktop build folder with cpack, checks it with the desktop
# entry, AppStream and Debian validators (lintian's warnings are printed, its errors fail),
# unpacks it and runs the unpacked program. Usage: package_test.sh BUILD_DIR VERSION
set -euo pipefail
build=$1 version=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work" >"$work/cpack.log" ||
    { cat "$work/cpack.log"; fail "cpack"; }
deb=$work/halomark_${version}_$(dpkg --print-architecture).deb
[[ -f $deb ]] || fail "no package $deb"

# The dependencies are found from the libraries the program links.
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
[[ $depends == *libc6* && $depends == *libqt6widgets6* ]] || fail "Depends lacks libc or Qt"

root=$work/root
dpkg-deb -x "$deb" "$root"
share=$root/usr/share
desktop=$share/applications/org.halomark.Halomark.desktop
desktop-file-validate "$desktop" || fail "desktop entry"
# The icon the entry names, in every size of the theme.
icon=$(sed -n 's/^Icon=//p' "$desktop")
files=(man/man1/halomark.1.gz doc/halomark/copyright doc/halomark/changelog.gz
    "icons/hicolor/scalable/apps/$icon.svg")
for size in 16 22 24 32 48 64 128 256; do
    files+=("icons/hicolor/${size}x${size}/apps/$icon.png")
done
for file in "${files[@]}"; do
    [[ -f $share/$file ]] || fail "the package lacks /usr/share/$file"
done
appstreamcli validate --no-net "$share/metainfo/org.halomark.Halomark.metainfo.xml" ||
    fail "metainfo"
lintian --allow-root --fail-on error "$deb" || fail "lintian found errors"

printed=$("$root/usr/bin/halomark" --version)
[[ $printed == "halomark $version" ]] || fail "the unpacked program printed '$printed'"
echo "The package $(basename "$deb") is valid and its program runs."
