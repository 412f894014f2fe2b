#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""tetclean on TetGen files that meshio writes.

    meshio_check.py TETCLEAN EXAMPLES_FOLDER WORK_FOLDER

meshio reads every number of a TetGen node file as a float and writes the
markers and attributes it holds as floats (`5.0`); regions it takes from
other formats may be floats too. The bundled example mesh, handed to meshio
with boundary markers, node attributes and regions of either kind, and
written by meshio's TetGen writer, must clean exactly as the bundled files
do: the same console lines and the same output bytes. Where TetGen is
installed, its own mesh of examples/two_cubes.poly read and written again
by meshio must clean as TetGen's files do.

Exits 77 (skipped) when meshio or numpy cannot be imported (Debian package
python3-meshio), 1 on the first mismatch.
"""
import os
import shutil
import subprocess
import sys

try:
    import numpy as np
    import meshio
except ImportError as error:
    print(f"skipped: {error}")
    sys.exit(77)

TETCLEAN, EXAMPLES, WORK = sys.argv[1], sys.argv[2], sys.argv[3]
LEVEL_SET = os.path.join(EXAMPLES, "levelset.txt")
PARAMETERS = os.path.join(EXAMPLES, "params.txt")


def numbers(name, per_record):
    """The records of a file in tetclean's own layout, header dropped."""
    with open(name) as text:
        values = text.read().split()
    count = int(values[0])
    header = 2 if name.endswith(".node") else 3
    return np.array(values[header:header + count * per_record]).reshape(count, per_record)


def clean(node, ele, folder):
    """tetclean on node and ele; its console lines and its two outputs."""
    outputs = [os.path.join(folder, name) for name in ("clean.node", "clean.ele")]
    run = subprocess.run([TETCLEAN, node, ele] + outputs + [LEVEL_SET, PARAMETERS],
                         capture_output=True, text=True)
    files = []
    for output in outputs:
        with open(output, "rb") if os.path.exists(output) else open(os.devnull, "rb") as file:
            files.append(file.read())
    return run.returncode, run.stdout, run.stderr, files


def fail(what, message):
    print(f"MISMATCH {what}: {message}")
    sys.exit(1)


def expect_same(what, got, wanted):
    for label, a, b in zip(("exit status", "standard output", "standard error",
                            "outputs"), got, wanted):
        if a != b:
            fail(what, f"{label} differs:\n meshio's {str(a)[:300]}\n wanted {str(b)[:300]}")


def example_mesh():
    nodes = numbers(os.path.join(EXAMPLES, "mesh.node"), 4)
    tets = numbers(os.path.join(EXAMPLES, "mesh.ele"), 6)
    points = nodes[:, 1:4].astype(float)
    cells = tets[:, 1:5].astype(int) - 1  # meshio counts nodes from 0
    regions = tets[:, 5].astype(int)
    return points, cells, regions


def main():
    shutil.rmtree(WORK, ignore_errors=True)
    os.makedirs(WORK)
    points, cells, regions = example_mesh()
    wanted = clean(os.path.join(EXAMPLES, "mesh.node"), os.path.join(EXAMPLES, "mesh.ele"), WORK)
    if wanted[0] != 0:
        fail("the bundled example", wanted[2])
    on_border = np.any((points == 0) | (points == 12), axis=1)
    markers = np.where(on_border, 5.0, 0.0)  # as meshio reads them: floats
    cases = [
        ("float markers", {"tetgen:ref": markers}, {"tetgen:ref": [regions]}),
        ("an attribute and float markers",
         {"density": points[:, 0] / 4, "tetgen:ref": markers}, {"tetgen:ref": [regions]}),
        ("float regions and a second attribute", {"tetgen:ref": markers},
         {"tetgen:ref": [regions.astype(float)], "tetgen:ref2": [regions * 2.0]}),
        ("a negative float marker", {"tetgen:ref": markers - 1.0}, {"tetgen:ref": [regions]}),
    ]
    checks = 0
    for what, point_data, cell_data in cases:
        folder = os.path.join(WORK, str(checks))
        os.makedirs(folder)
        mesh = meshio.Mesh(points, [("tetra", cells)], point_data=point_data,
                           cell_data=cell_data)
        name = os.path.join(folder, "mesh.node")
        meshio.write(name, mesh, file_format="tetgen")
        expect_same(what, clean(name, name[:-4] + "ele", folder), wanted)
        checks += 1

    if shutil.which("tetgen"):
        folder = os.path.join(WORK, "tetgen")
        os.makedirs(folder)
        shutil.copy(os.path.join(EXAMPLES, "two_cubes.poly"), folder)
        subprocess.run(["tetgen", "-pq1.4a3AzQ", os.path.join(folder, "two_cubes.poly")],
                       check=True, capture_output=True)
        mesh = os.path.join(folder, "two_cubes.1")
        from_tetgen = clean(mesh + ".node", mesh + ".ele", folder)
        again = os.path.join(folder, "again.node")
        meshio.write(again, meshio.read(mesh + ".node"), file_format="tetgen")
        expect_same("TetGen's mesh written again by meshio",
                    clean(again, again[:-4] + "ele", folder), from_tetgen)
        checks += 1
    print(f"{checks} meshes written by meshio {meshio.__version__} cleaned as expected")


main()
