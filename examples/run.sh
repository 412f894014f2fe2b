#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds the tools and runs them on the bundled example data, writing the
# results to build/example-output/; with TetGen installed, tetclean also runs
# on TetGen's mesh of examples/two_cubes.poly.
set -euo pipefail
cd "$(dirname "$0")/.."

cmake --preset tools >/dev/null
cmake --build --preset tools

out=build/example-output
rm -rf "$out"
mkdir -p "$out"

echo
echo "\$ tetclean examples/mesh.node examples/mesh.ele $out/clean.node $out/clean.ele examples/levelset.txt examples/params.txt"
build/tools/apps/tetclean/tetclean examples/mesh.node examples/mesh.ele "$out/clean.node" "$out/clean.ele" \
    examples/levelset.txt examples/params.txt
echo "-> $out/clean.node: $(head -n 1 "$out/clean.node")   $out/clean.ele: $(head -n 1 "$out/clean.ele")"

# The same block meshed by TetGen, where it is installed (Debian package tetgen).
if command -v tetgen >/dev/null; then
    cp examples/two_cubes.poly "$out/"
    echo
    echo "\$ tetgen -pq1.4a3AzQ $out/two_cubes.poly"
    tetgen -pq1.4a3AzQ "$out/two_cubes.poly"
    mesh=$out/two_cubes.1
    echo "\$ tetclean --node-map $out/map.txt --full-precision $mesh.node $mesh.ele $out/clean_tetgen.node $out/clean_tetgen.ele examples/levelset.txt examples/params.txt"
    build/tools/apps/tetclean/tetclean --node-map "$out/map.txt" --full-precision "$mesh.node" "$mesh.ele" \
        "$out/clean_tetgen.node" "$out/clean_tetgen.ele" examples/levelset.txt examples/params.txt
    echo "-> $out/clean_tetgen.node: $(head -n 1 "$out/clean_tetgen.node")   $out/clean_tetgen.ele: $(head -n 1 "$out/clean_tetgen.ele")"
else
    echo
    echo "(tetgen is not installed: the example on TetGen output is skipped)"
fi

echo
echo "\$ voxdump examples/segmented $out/segmented.txt $out/segmented_size.txt $out/segmented_resolution.txt"
build/tools/apps/voxdump/voxdump examples/segmented "$out/segmented.txt" "$out/segmented_size.txt" \
    "$out/segmented_resolution.txt"
echo "-> $out/segmented_size.txt: $(cat "$out/segmented_size.txt")   $out/segmented_resolution.txt: $(cat "$out/segmented_resolution.txt")"

echo
echo "\$ voxdump --volume 2 examples/segmented_series.nii.gz $out/series.txt $out/series_size.txt $out/series_resolution.txt"
build/tools/apps/voxdump/voxdump --volume 2 examples/segmented_series.nii.gz "$out/series.txt" \
    "$out/series_size.txt" "$out/series_resolution.txt"
echo "-> $out/series_size.txt: $(cat "$out/series_size.txt")   $out/series_resolution.txt: $(cat "$out/series_resolution.txt")"
