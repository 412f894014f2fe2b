# SPDX-License-Identifier: MIT
"""The README's example: a TetGen mesh from meshio, a distance map in numpy, back to meshio."""
import os

import numpy as np
import pytest

import levelset_prep as lp

meshio = pytest.importorskip("meshio")


def test_readme_example(tetgen_meshes, tmp_path):
    node, _ = tetgen_meshes["one_based"]
    # As in the README, from here on.
    tetgen = meshio.read(node, file_format="tetgen")
    mesh = lp.Mesh(tetgen.points, tetgen.get_cells_type("tetra"),
                   tetgen.cell_data_dict["tetgen:ref"]["tetra"])

    # The distance to a sphere of radius 3 around (6, 6, 6), on a grid whose
    # point (i, j, k) lies at ((i - 3) / 2, (j - 3) / 2, (k - 3) / 2).
    x = (np.arange(56) - 3) / 2
    X, Y, Z = np.meshgrid(x, x, x, indexing="ij")
    distance = np.sqrt((X - 6) ** 2 + (Y - 6) ** 2 + (Z - 6) ** 2) - 3
    cleaned = lp.clean(mesh, lp.LevelSetGrid(distance))

    out = meshio.Mesh(cleaned.mesh.nodes, [("tetra", cleaned.mesh.tets)],
                      cell_data={"region": [cleaned.mesh.regions]},
                      point_data={"level_set": cleaned.level_set})
    out.write(tmp_path / "clean.vtu")
    # The README's example ends here.
    back = meshio.read(tmp_path / "clean.vtu")
    np.testing.assert_array_equal(back.get_cells_type("tetra"), cleaned.mesh.tets)
    report = cleaned.report
    assert 0 < report["tetrahedra_kept"] < report["tetrahedra_read"]
    assert os.path.getsize(tmp_path / "clean.vtu") > 0
