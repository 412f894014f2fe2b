#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds the Debian packages of a build tree, checks what they hold and
# declare, unpacks them into a scratch folder with dpkg-deb, runs the programs
# from there, and lints the packages with lintian. A build with the Python
# module makes python3-levelset-prep too, whose module is imported from the
# unpacked tree and run on the examples.
#
#   check_package.sh <cpack> <build dir> <examples dir> <scratch dir> [tag]...
#
# Any lintian error or warning fails, and so does any information tag on
# hardening or on unneeded sections except those matching the tag patterns
# given, which this build is expected to bring (hardening-no-fortify-functions
# without optimisation, hardening-* in a sanitizer build).
#
# Exits 77 (skipped) when a tool that makes the packages is not installed
# (dpkg-shlibdeps from dpkg-dev, and file, work out the Depends), and after
# every other check when lintian is not.
set -euo pipefail
cpack=$1 build=$2 examples=$3 work=$4
shift 4
expected_tags=("$@")
for tool in dpkg-deb dpkg-shlibdeps file; do
    if ! command -v "$tool" >/dev/null; then
        echo "$tool is not installed (Debian packages dpkg-dev and file)"
        exit 77
    fi
done
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
packages=(levelset-prep levelset-prep-dev)
python_deb=$(echo "$work"/python3-levelset-prep_*.deb)
[ -f "$python_deb" ] && packages+=(python3-levelset-prep)
for package in "${packages[@]}"; do
    deb=$(echo "$work/${package}"_*.deb)
    [ -f "$deb" ] || fail "no $package package was made"
    dpkg-deb -c "$deb"
    dpkg-deb -f "$deb" Package Version Depends
    dpkg-deb -x "$deb" "$work/root"
done
usr=$work/root/usr
for file in bin/tetclean bin/voxdump share/man/man1/tetclean.1.gz share/man/man1/voxdump.1.gz \
    include/levelset_prep/mesh/mesh_files.hpp lib/cmake/levelset_prep/levelset_prepConfig.cmake \
    share/doc/levelset-prep/copyright share/doc/levelset-prep/changelog.gz \
    share/doc/levelset-prep-dev/copyright share/doc/levelset-prep-dev/changelog.gz; do
    [ -f "$usr/$file" ] || fail "$file is not in the packages"
done

# One version: the package's, the manual pages' and the changelog's.
version=$(dpkg-deb -f "$(echo "$work"/levelset-prep_*.deb)" Version)
for page in tetclean voxdump; do
    zcat "$usr/share/man/man1/$page.1.gz" | grep -m 1 "^\.TH" | grep -qF "\"levelset_prep $version\"" ||
        fail "the manual page of $page does not give version $version"
done
for package in "${packages[@]}"; do
    zcat "$usr/share/doc/$package/changelog.gz" >"$work/changelog"
    changelog=$(dpkg-parsechangelog -l "$work/changelog" -S Version)
    [ "$changelog" = "$version" ] ||
        fail "the changelog of $package starts at $changelog, not at the package's $version"
    head -n 1 "$usr/share/doc/$package/copyright" | grep -q '^Format: .*copyright-format/1.0/$' ||
        fail "the copyright file of $package is not machine-readable"
done
# The programs depend on the libraries they load; the -dev package on a C++
# standard library.
depends=$(dpkg-deb -f "$(echo "$work"/levelset-prep_*.deb)" Depends)
for library in libc6 libstdc++6; do
    [[ $depends == *"$library "* ]] || fail "levelset-prep does not depend on $library: $depends"
done
[[ $(dpkg-deb -f "$(echo "$work"/levelset-prep-dev_*.deb)" Depends) == *"libstdc++"* ]] ||
    [[ $(dpkg-deb -f "$(echo "$work"/levelset-prep-dev_*.deb)" Depends) == *"libc++"* ]] ||
    fail "levelset-prep-dev does not depend on a C++ standard library"

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

if [ -f "$python_deb" ]; then
    for library in libc6 libstdc++6 python3-numpy "python3 (>= "; do
        [[ $(dpkg-deb -f "$python_deb" Depends) == *"$library"* ]] ||
            fail "python3-levelset-prep does not depend on $library"
    done
    PYTHONPATH=$usr/lib/python3/dist-packages /usr/bin/python3 -c '
import sys, levelset_prep as lp
examples = sys.argv[1]
mesh = lp.read_mesh(examples + "/mesh.node", examples + "/mesh.ele")
grid = lp.read_level_set(examples + "/levelset.txt", examples + "/params.txt")
lp.write_mesh(lp.clean(mesh, grid).mesh, "module.node", "module.ele")
assert lp.__file__.startswith(sys.argv[2]), lp.__file__
' "$examples" "$usr/lib/python3/dist-packages/levelset_prep/"
    cmp module.node clean.node && cmp module.ele clean.ele ||
        fail "the module from the package cleaned the example differently"
fi

if ! command -v lintian >/dev/null; then
    echo "lintian is not installed: the packages were checked but not linted"
    exit 77
fi
status=0
lintian --fail-on error,warning --display-info ./*.deb \
    >lintian.out 2>lintian.err || status=$?
cat lintian.out
if [ "$status" -gt 1 ]; then
    cat lintian.err
    fail "lintian could not check the packages"
fi
[ "$status" -eq 0 ] || fail "lintian found errors or warnings"
while read -r level package tag _; do
    case "$level $tag" in
        "I: hardening-"* | "I: "*unneeded-section*)
            for pattern in "${expected_tags[@]}"; do
                # shellcheck disable=SC2053 # the expected tags are patterns
                [[ $tag == $pattern ]] && continue 2
            done
            fail "lintian: $package $tag" ;;
    esac
done <lintian.out
rm -rf "$work"
