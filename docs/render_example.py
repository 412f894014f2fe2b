#!/usr/bin/python3
# SPDX-License-Identifier: MIT
"""Draws what tetclean does to the bundled example mesh.

Runs tetclean on examples/ into a temporary folder and renders a cut through
the mesh at z = 4, before (the bundled node and element files) and after
(the .vtu file tetclean writes with --vtu, read back with meshio, as
ParaView would open it), with the tetrahedra coloured by region and the
level-set surface (the zero contour of the grid) drawn on top.

    python3 docs/render_example.py [tetclean] output.png

The picture goes to output.png and nowhere else (docs/example.png is the
one the README shows: name it to draw it again). tetclean defaults to the
first built one under build/. Needs python3-matplotlib, python3-numpy and
python3-meshio.
"""
import pathlib
import subprocess
import sys
import tempfile

import matplotlib
import meshio

matplotlib.use("Agg")
import matplotlib.pyplot as plt  # noqa: E402
import numpy as np  # noqa: E402
from matplotlib.collections import PolyCollection  # noqa: E402
from matplotlib.lines import Line2D  # noqa: E402
from matplotlib.patches import Patch  # noqa: E402

ROOT = pathlib.Path(__file__).resolve().parent.parent
EXAMPLES = ROOT / "examples"
CUT_Z = 4.0  # between two node layers, on a level-set grid plane
REGION_COLOURS = {0: "#c9ccd1", 1: "#3b75af", 2: "#e1812c"}
NEAR = 6.0  # tetclean keeps a region-0 tetrahedron with a node below this


def numbers(path):
    return path.read_text().split()


def read_mesh(node_file, ele_file):
    """Nodes as an (N, 3) array; tetrahedra as (T, 4) 0-based indices and (T,) regions."""
    values = numbers(node_file)
    count = int(values[0])
    nodes = np.array(values[2:2 + 4 * count], dtype=float).reshape(count, 4)[:, 1:]
    values = numbers(ele_file)
    count = int(values[0])
    records = np.array(values[3:3 + 6 * count], dtype=int).reshape(count, 6)
    return nodes, records[:, 1:5] - 1, records[:, 5]


def read_vtu(vtu_file):
    """The same from the .vtu file: points, connectivity and the region array."""
    mesh = meshio.read(vtu_file)
    return mesh.points, mesh.cells_dict["tetra"], mesh.cell_data_dict["region"]["tetra"]


def level_set_plane(z):
    """The level-set grid on the plane z (a grid plane), with its x and y coordinates."""
    extents = []
    for value in numbers(EXAMPLES / "params.txt")[:3]:
        size = int(value)
        size += size % 2
        size += 2 if size % 4 == 2 else 0
        extents.append(size)
    nx, ny, nz = (2 * size + 32 for size in extents)
    k = int(2 * z + 3)  # grid point k lies at mesh coordinate (k - 3) / 2
    grid = np.loadtxt(EXAMPLES / "levelset.txt", dtype=np.float32).ravel()
    plane = grid[: nx * ny * nz].reshape(nz, ny, nx)[k]
    return (np.arange(nx) - 3) / 2, (np.arange(ny) - 3) / 2, plane


def cut(nodes, tets, regions, z):
    """The polygons in which the tetrahedra crossing the plane z meet it."""
    polygons, colours = [], []
    for tet, region in zip(tets, regions):
        corners = nodes[tet]
        above = corners[:, 2] > z
        if above.all() or not above.any():
            continue
        points = []
        for a in range(4):
            for b in range(a + 1, 4):
                if above[a] != above[b]:
                    p, q = corners[a], corners[b]
                    t = (z - p[2]) / (q[2] - p[2])
                    points.append(p[:2] + t * (q[:2] - p[:2]))
        points = np.array(points)
        centre = points.mean(axis=0)
        order = np.argsort(np.arctan2(points[:, 1] - centre[1], points[:, 0] - centre[0]))
        polygons.append(points[order])
        colours.append(REGION_COLOURS.get(region, "#888888"))
    return polygons, colours


def draw(axes, mesh, title, surface):
    nodes, tets, regions = mesh
    polygons, colours = cut(nodes, tets, regions, CUT_Z)
    axes.add_collection(PolyCollection(polygons, facecolors=colours, edgecolors="white", linewidths=0.6))
    xs, ys, plane = surface
    axes.contour(xs, ys, plane, levels=[0.0], colors="black", linewidths=1.8)
    axes.contour(xs, ys, plane, levels=[NEAR], colors="black", linewidths=1.0, linestyles="dashed")
    axes.set_xlim(-0.5, 12.5)
    axes.set_ylim(-0.5, 12.5)
    axes.set_aspect("equal")
    axes.set_xlabel("x")
    axes.set_ylabel("y")
    axes.set_title(f"{title}: {len(nodes)} nodes, {len(tets)} tetrahedra", fontsize=11)


def arguments(argv):
    """tetclean and the picture's path from the command line."""
    if len(argv) not in (1, 2) or not argv[-1].endswith(".png"):
        sys.exit("usage: render_example.py [tetclean] output.png (the picture's name ends in .png)")
    output = pathlib.Path(argv[-1])
    if len(argv) == 2:
        return pathlib.Path(argv[0]), output
    built = sorted(ROOT.glob("build/*/apps/tetclean/tetclean"))
    if not built:
        sys.exit("render_example.py: build tetclean first (bash examples/run.sh) or name it")
    return built[0], output


def main():
    tetclean, output = arguments(sys.argv[1:])

    before = read_mesh(EXAMPLES / "mesh.node", EXAMPLES / "mesh.ele")
    with tempfile.TemporaryDirectory() as folder:
        out = pathlib.Path(folder)
        subprocess.run(
            [str(tetclean), str(EXAMPLES / "mesh.node"), str(EXAMPLES / "mesh.ele"),
             str(out / "clean.node"), str(out / "clean.ele"),
             str(EXAMPLES / "levelset.txt"), str(EXAMPLES / "params.txt"),
             "--vtu", str(out / "clean.vtu")],
            check=True, stdout=subprocess.DEVNULL)
        after = read_vtu(out / "clean.vtu")
    surface = level_set_plane(CUT_Z)

    figure, panels = plt.subplots(1, 2, figsize=(10, 5.6), constrained_layout=True)
    draw(panels[0], before, "Before", surface)
    draw(panels[1], after, "After tetclean", surface)
    figure.suptitle(f"The bundled example cut at z = {CUT_Z:g}", fontsize=13)
    legend = [Patch(facecolor=REGION_COLOURS[r], label=f"region {r}") for r in sorted(REGION_COLOURS)]
    legend += [
        Line2D([], [], color="black", linewidth=1.8, label="level-set surface (value 0)"),
        Line2D([], [], color="black", linewidth=1.0, linestyle="dashed",
               label=f"level-set value {NEAR:g} (region 0 kept if a node is inside)"),
    ]
    figure.legend(handles=legend, loc="lower center", bbox_to_anchor=(0.5, -0.06), ncol=5, frameon=False, fontsize=9,
                  handlelength=1.6, columnspacing=1.2)
    figure.savefig(output, dpi=90, bbox_inches="tight", metadata={"Software": None})
    print(f"wrote {output}")


if __name__ == "__main__":
    main()
