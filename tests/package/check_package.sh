#!/usr/bin/env bash
# Builds the Debian packages of a build tree, unpacks them into a scratch
# folder with dpkg-deb and runs the programs from there.
#
#   check_package.sh <cpack> <build dir> <examples dir> <scratch dir>
#
# Exits 77 (skipped) when dpkg-deb is not installed.
set -euo pipefail
cpack=$1 build=$2 examples=$3 work=$4
if ! command -v dpkg-deb >/dev/null; then
    echo "dpkg-deb is not installed"
    exit 77
fi
rm -rf "$work"
mkdir -p "$work/root"
if ! "$cpack" -G DEB --config "$build/CPackConfig.cmake" -B "$work" >"$work/cpack.log" 2>&1; then
    cat "$work/cpack.log"
    exit 1
fi

fail() {
    echo "$*"
    exit 1
}
for package in levelset-prep levelset-prep-dev; do
    deb=$(echo "$work/${package}"_*.deb)
    [ -f "$deb" ] || fail "no $package package was made"
    dpkg-deb -c "$deb"
    dpkg-deb -x "$deb" "$work/root"
done
usr=$work/root/usr
for file in bin/tetclean bin/voxdump share/man/man1/tetclean.1.gz share/man/man1/voxdump.1.gz \
    include/levelset_prep/mesh/mesh_files.hpp lib/cmake/levelset_prep/levelset_prepConfig.cmake; do
    [ -f "$usr/$file" ] || fail "$file is not in the packages"
done

# The unpacked programs run on the bundled examples.
cd "$work"
[ "$("$usr/bin/tetclean" --version | head -n 1)" = "tetclean (levelset_prep) $(dpkg-deb -f "$(echo levelset-prep_*.deb)" Version)" ] ||
    fail "tetclean --version does not give the package version"
"$usr/bin/voxdump" --version >/dev/null
"$usr/bin/tetclean" "$examples/mesh.node" "$examples/mesh.ele" clean.node clean.ele \
    "$examples/levelset.txt" "$examples/params.txt" >/dev/null
[ "$(head -n 1 clean.node) $(head -n 1 clean.ele)" = "531 3 2206 4 1" ] ||
    fail "tetclean from the package cleaned the example differently"
printf 'program started\nmax_intensity = 4\nimg read\n0\n' >expected.out
"$usr/bin/voxdump" "$examples/segmented" image.txt size.txt resolution.txt >voxdump.out
cmp voxdump.out expected.out || fail "voxdump from the package printed something else"
[ "$(cat size.txt resolution.txt)" = "$(printf '48 48 16\n0.9375 0.9375 2.5')" ] ||
    fail "voxdump from the package wrote other sizes or spacings"
rm -rf "$work"
