#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""tetclean's outputs read by the programs people open them with.

    readers_check.py TETCLEAN EXAMPLES_FOLDER WORK_FOLDER

The bundled example, and a small mesh with a node outside the grid, are
cleaned with --layout tetgen --vtu --report --node-map and --full-precision.
Then:
  - meshio reads the node and element pair, and `tetgen -r` takes it;
  - VTK's vtkXMLUnstructuredGridReader and meshio read the .vtu: the points
    are the full-precision coordinates bit for bit, the cells, types and
    regions those of the element file, level_set the grid value at each
    node (the example's nodes lie on grid points, where the interpolation
    is exact; 800 outside the grid), input_node the node map inverted;
  - Python's json reads the report, whose counts match the files, also for
    input names that need escaping.

Exits 77 (skipped) when numpy, meshio or VTK cannot be imported (Debian
packages python3-meshio, python3-vtk9), 1 on the first mismatch.
"""
import json
import os
import shutil
import subprocess
import sys
from collections import Counter

try:
    import numpy as np
    import meshio
    import vtk
    from vtk.util.numpy_support import vtk_to_numpy
except ImportError as error:
    print(f"skipped: {error}")
    sys.exit(77)

TETCLEAN, EXAMPLES, WORK = sys.argv[1], sys.argv[2], sys.argv[3]
PARAMETERS = os.path.join(EXAMPLES, "params.txt")
LEVEL_SET = os.path.join(EXAMPLES, "levelset.txt")


def fail(what, message):
    print(f"MISMATCH {what}: {message}")
    sys.exit(1)


def check(what, condition, message=""):
    if not condition:
        fail(what, message)


def records(name, per_record, header):
    with open(name) as text:
        values = text.read().split()
    count = int(values[0])
    return values[header:header + count * per_record], count


def grid():
    """The example grid as float32, indexed [z, y, x], and its shape."""
    nx, ny, nz = (2 * (int(v) + int(v) % 2 + (2 if (int(v) + int(v) % 2) % 4 == 2 else 0)) + 32
                  for v in open(PARAMETERS).read().split()[:3])
    values = np.loadtxt(LEVEL_SET, dtype=np.float32).ravel()[: nx * ny * nz]
    return values.reshape(nz, ny, nx)


def expected_level_set(points, values):
    """Grid point k lies at coordinate (k - 3) / 2; 800 off the grid."""
    index = np.rint(2 * points + 3).astype(int)
    check("level_set", np.all(index == 2 * points + 3), "a node is off the grid points")
    shape = np.array(values.shape[::-1])
    inside = np.all((index >= 0) & (index < shape - 1), axis=1)
    wanted = np.full(len(points), 800, dtype=np.float32)
    i = index[inside]
    wanted[inside] = values[i[:, 2], i[:, 1], i[:, 0]]
    return wanted


def clean(folder, node, ele, level_set=LEVEL_SET):
    out = {k: os.path.join(folder, f"clean.{k}") for k in ("node", "ele", "vtu", "json", "map")}
    run = subprocess.run(
        [TETCLEAN, node, ele, out["node"], out["ele"], level_set, PARAMETERS, "--layout",
         "tetgen", "--vtu", out["vtu"], "--report", out["json"], "--node-map", out["map"],
         "--full-precision"], capture_output=True)
    check("tetclean", run.returncode == 0, run.stderr)
    return out


def text_mesh(out):
    """Points (floats from the full-precision text), 0-based cells, regions."""
    values, count = records(out["node"], 4, 4)
    points = np.array([float(v) for v in values]).reshape(count, 4)[:, 1:]
    values, count = records(out["ele"], 6, 3)
    tets = np.array(values, dtype=np.int64).reshape(count, 6)
    return points, tets[:, 1:5] - 1, tets[:, 5].astype(np.int32)


def input_nodes(out, kept):
    new_numbers = np.loadtxt(out["map"], dtype=np.int64, ndmin=1)
    wanted = np.zeros(kept, dtype=np.int64)
    for i, new in enumerate(new_numbers):
        if new > 0:
            wanted[new - 1] = i + 1
    return wanted


def same_bits(a, b):
    return a.shape == b.shape and np.array_equal(np.asarray(a, np.float64).view(np.int64),
                                                 np.asarray(b, np.float64).view(np.int64))


def check_vtu(what, arrays, out, values):
    points, cells, regions = text_mesh(out)
    check(what, same_bits(arrays["points"], points), "points differ")
    check(what, np.array_equal(arrays["cells"], cells), "connectivity differs")
    check(what, np.all(arrays["types"] == 10), "a cell is no tetrahedron")
    check(what, arrays["region"].dtype == np.int32 and np.array_equal(arrays["region"], regions),
          "regions differ")
    level_set = arrays["level_set"]
    check(what, level_set.dtype == np.float32, f"level_set is {level_set.dtype}")
    check(what, np.array_equal(level_set, expected_level_set(points, values)), "level_set differs")
    check(what, np.array_equal(arrays["input_node"], input_nodes(out, len(points))),
          "input_node differs")


def vtk_arrays(name):
    reader = vtk.vtkXMLUnstructuredGridReader()
    reader.SetFileName(name)
    reader.Update()
    mesh = reader.GetOutput()
    check("VTK", mesh.GetNumberOfPoints() > 0, "read nothing")
    connectivity = vtk_to_numpy(mesh.GetCells().GetConnectivityArray())
    return {
        "points": vtk_to_numpy(mesh.GetPoints().GetData()),
        "cells": connectivity.reshape(-1, 4),
        "types": vtk_to_numpy(mesh.GetCellTypesArray()),
        "region": vtk_to_numpy(mesh.GetCellData().GetArray("region")),
        "level_set": vtk_to_numpy(mesh.GetPointData().GetArray("level_set")),
        "input_node": vtk_to_numpy(mesh.GetPointData().GetArray("input_node")),
    }


def meshio_arrays(name):
    mesh = meshio.read(name)
    check("meshio", [block.type for block in mesh.cells] == ["tetra"], str(mesh.cells))
    return {
        "points": mesh.points,
        "cells": mesh.cells[0].data,
        "types": np.full(len(mesh.cells[0].data), 10),
        "region": mesh.cell_data["region"][0],
        "level_set": mesh.point_data["level_set"],
        "input_node": mesh.point_data["input_node"],
    }


def check_pair(out):
    points, cells, regions = text_mesh(out)
    mesh = meshio.read(out["node"])
    check("meshio pair", same_bits(mesh.points, points), "points differ")
    check("meshio pair", np.array_equal(mesh.cells[0].data, cells), "cells differ")
    check("meshio pair", np.array_equal(mesh.cell_data["tetgen:ref"][0], regions),
          "regions differ")
    if shutil.which("tetgen"):
        run = subprocess.run(["tetgen", "-rQ", out["node"]], capture_output=True, text=True)
        check("tetgen -r", run.returncode == 0, run.stdout + run.stderr)
        written, count = records(out["node"][:-5] + ".1.node", 4, 4)
        check("tetgen -r", count == len(points), f"{count} nodes, not {len(points)}")


def check_report(out, node, ele, level_set=LEVEL_SET):
    with open(out["json"], encoding="utf-8") as text:
        report = json.load(text)
    _, _, kept_regions = text_mesh(out)
    values, count = records(ele, 6, 3)
    read_regions = np.array(values, dtype=np.int64).reshape(count, 6)[:, 5]
    read, kept = Counter(read_regions.tolist()), Counter(kept_regions.tolist())
    nodes_read = records(node, 4, 2)[1]
    wanted = {
        "node_file_in": node, "ele_file_in": ele, "level_set_file": level_set,
        "parameters_file": PARAMETERS, "threshold": 6.0,
        "nodes_read": nodes_read, "nodes_kept": len(text_mesh(out)[0]),
        "tetrahedra_read": count, "tetrahedra_kept": len(kept_regions),
        "regions": [{"region": r, "read": read[r], "kept": kept[r], "removed": read[r] - kept[r]}
                    for r in sorted(read)],
    }
    for key, value in wanted.items():
        check("report", report.get(key) == value, f"{key}: {report.get(key)!r}, not {value!r}")
    check("report", report["nodes_dropped"] == nodes_read - wanted["nodes_kept"], "nodes_dropped")
    check("report", isinstance(report["version"], str) and report["version"], "version")
    return report


def outside_mesh(folder):
    """Two tetrahedra of region 1, one node far outside the grid."""
    node, ele = os.path.join(folder, "far.node"), os.path.join(folder, "far.ele")
    with open(node, "w") as text:
        text.write("5 3\n1 0 0 0\n2 1 0 0\n3 0 1 0\n4 0 0 1\n5 1000 0.5 2\n")
    with open(ele, "w") as text:
        text.write("2 4 1\n1 1 2 3 4 1\n2 2 3 4 5 1\n")
    return node, ele


def main():
    shutil.rmtree(WORK, ignore_errors=True)
    values = grid()
    cases = [("example", os.path.join(EXAMPLES, "mesh.node"), os.path.join(EXAMPLES, "mesh.ele"))]
    os.makedirs(os.path.join(WORK, "far"))
    cases.append(("far node", *outside_mesh(os.path.join(WORK, "far"))))
    for what, node, ele in cases:
        folder = os.path.join(WORK, what.replace(" ", "_"))
        os.makedirs(folder, exist_ok=True)
        out = clean(folder, node, ele)
        check_pair(out)
        check_vtu(f"{what}, VTK", vtk_arrays(out["vtu"]), out, values)
        check_vtu(f"{what}, meshio", meshio_arrays(out["vtu"]), out, values)
        report = check_report(out, node, ele)
        check(what, report["nodes_outside_grid"] == (1 if what == "far node" else 0),
              "nodes_outside_grid")

    # Names that JSON must escape come back as given.
    folder = os.path.join(WORK, "names")
    os.makedirs(folder)
    odd = os.path.join(folder, 'a "quoted" \\ back\tslash\x01 \u00e9\u6f22.txt')
    shutil.copy(LEVEL_SET, odd)
    out = clean(folder, *cases[0][1:], level_set=odd)
    check_report(out, *cases[0][1:], level_set=odd)
    print(f"{len(cases)} runs read back by meshio {meshio.__version__}, "
          f"VTK {vtk.vtkVersion.GetVTKVersion()}, json and tetgen")


main()
