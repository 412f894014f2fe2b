# SPDX-License-Identifier: MIT
"""clean and write_mesh against tetclean's output bytes, from files and from arrays."""
import os
import warnings

import numpy as np
import pytest

import levelset_prep as lp
from conftest import run_tetclean


def example(examples, *names):
    return [os.path.join(examples, name) for name in names]


def grid_from_text(level_set, parameters):
    """The grid as numpy reads it: values x fastest, shape from the extents."""
    with open(parameters) as file:
        extents = [int(value) for value in file.read().split()[:3]]
    nx, ny, nz = (2 * ((extent + 3) // 4 * 4) + 32 for extent in extents)
    values = np.loadtxt(level_set, dtype=np.float32).ravel()[:nx * ny * nz]
    return values.reshape(nz, ny, nx).transpose()


def written(mesh, folder, **options):
    node, ele = os.path.join(folder, "module.node"), os.path.join(folder, "module.ele")
    lp.write_mesh(mesh, node, ele, **options)
    with open(node, "rb") as node_file, open(ele, "rb") as ele_file:
        return [node_file.read(), ele_file.read()]


def node_map_text(node_map):
    return "".join(f"{index + 1}\n" for index in node_map).encode()


MESHES = ["example", "tetgen_one_based", "tetgen_zero_based"]


@pytest.fixture
def mesh_files(request, examples, tetgen_meshes):
    if request.param == "example":
        return example(examples, "mesh.node", "mesh.ele")
    return tetgen_meshes[request.param.removeprefix("tetgen_")]


@pytest.mark.parametrize("mesh_files", MESHES, indirect=True)
@pytest.mark.parametrize("full_precision", [False, True])
@pytest.mark.parametrize("threads", [1, 2])
def test_clean_from_files_writes_the_program_bytes(tetclean, examples, mesh_files, tmp_path,
                                                   full_precision, threads):
    level_set, parameters = example(examples, "levelset.txt", "params.txt")
    options = ["--full-precision"] if full_precision else []
    expected, _ = run_tetclean(tetclean, *mesh_files, level_set, parameters, tmp_path, *options)
    cleaned = lp.clean(lp.read_mesh(*mesh_files), lp.read_level_set(level_set, parameters),
                       threads=threads)
    assert written(cleaned.mesh, tmp_path, full_precision=full_precision,
                   threads=threads) == expected[:2]
    assert node_map_text(cleaned.node_map) == expected[2]


@pytest.mark.parametrize("mesh_files", MESHES, indirect=True)
def test_clean_from_numpy_arrays_writes_the_program_bytes(tetclean, examples, mesh_files,
                                                          tmp_path):
    level_set, parameters = example(examples, "levelset.txt", "params.txt")
    expected, _ = run_tetclean(tetclean, *mesh_files, level_set, parameters, tmp_path)
    read = lp.read_mesh(*mesh_files)
    # Arrays the user holds: copies in numpy's own layouts and types.
    mesh = lp.Mesh(np.array(read.nodes), np.array(read.tets, dtype=np.int64),
                   read.regions.tolist())
    grid = lp.LevelSetGrid(grid_from_text(level_set, parameters))
    cleaned = lp.clean(mesh, grid)
    assert written(cleaned.mesh, tmp_path) == expected[:2]
    assert node_map_text(cleaned.node_map) == expected[2]
    assert cleaned.report["node_file_in"] is None and cleaned.report["level_set_file"] is None


def test_grid_from_numpy_is_the_grid_from_files(examples):
    level_set, parameters = example(examples, "levelset.txt", "params.txt")
    from_files = lp.read_level_set(level_set, parameters)
    from_numpy = lp.LevelSetGrid(grid_from_text(level_set, parameters))
    np.testing.assert_array_equal(from_files.values, from_numpy.values)
    assert from_files.values.flags.f_contiguous and from_files.shape == (56, 56, 56)


def test_clean_result_and_report(examples):
    mesh = lp.read_mesh(*example(examples, "mesh.node", "mesh.ele"))
    before = np.array(mesh.tets), np.array(mesh.nodes)
    cleaned = lp.clean(mesh, lp.read_level_set(*example(examples, "levelset.txt", "params.txt")))
    np.testing.assert_array_equal(mesh.tets, before[0])
    np.testing.assert_array_equal(mesh.nodes, before[1])
    kept = cleaned.node_map >= 0
    np.testing.assert_array_equal(cleaned.node_map[kept], np.arange(kept.sum()))
    np.testing.assert_array_equal(cleaned.mesh.nodes, mesh.nodes[kept])
    assert cleaned.level_set.shape == (kept.sum(),) and cleaned.level_set.dtype == np.float32
    report = cleaned.report
    assert {key: report[key] for key in ("nodes_read", "nodes_kept", "tetrahedra_read",
                                         "tetrahedra_kept", "nodes_outside_grid")} == {
        "nodes_read": 729, "nodes_kept": 531, "tetrahedra_read": 3072, "tetrahedra_kept": 2206,
        "nodes_outside_grid": 0}
    assert report["regions"] == [{"region": 0, "read": 2788, "kept": 1922},
                                 {"region": 1, "read": 228, "kept": 228},
                                 {"region": 2, "read": 56, "kept": 56}]
    assert report["threshold"] == 6.0 and report["version"] == lp.__version__
    assert report["node_file_in"].endswith("mesh.node")
    assert report["parameters_file"].endswith("params.txt")


UNIT_NODES = [[0, 0, 0], [1, 0, 0], [0, 1, 0], [0, 0, 1], [100, 0, 0]]


@pytest.mark.parametrize("grid_value, threshold, kept_tets", [
    (1.0, 6.0, 2),   # every node near the surface: both kept
    (6.0, 6.0, 1),   # 6 itself is not below the threshold
    (6.0, 6.5, 2),
    (-3.0, -2.0, 2),
])
def test_threshold_and_the_node_outside_the_grid(grid_value, threshold, kept_tets):
    # Tetrahedron 1 is region 0 with one node far outside the grid.
    mesh = lp.Mesh(UNIT_NODES, [[0, 1, 2, 3], [1, 2, 3, 4]], [1, 0])
    grid = lp.LevelSetGrid(np.full((8, 8, 8), grid_value))
    cleaned = lp.clean(mesh, grid, threshold=threshold, threads=1)
    assert len(cleaned.mesh.tets) == kept_tets
    assert cleaned.report["nodes_outside_grid"] == 1
    assert cleaned.level_set[:4].tolist() == [grid_value] * 4
    if kept_tets == 2:
        assert cleaned.level_set[4] == 800.0


def test_result_views_outlive_the_result(examples):
    cleaned = lp.clean(lp.read_mesh(*example(examples, "mesh.node", "mesh.ele")),
                       lp.read_level_set(*example(examples, "levelset.txt", "params.txt")))
    node_map, level_set, tets = cleaned.node_map, cleaned.level_set, cleaned.mesh.tets
    copies = np.array(node_map), np.array(level_set), np.array(tets)
    del cleaned
    np.testing.assert_array_equal(node_map, copies[0])
    np.testing.assert_array_equal(level_set, copies[1])
    np.testing.assert_array_equal(tets, copies[2])


@pytest.mark.parametrize("threshold", [-1.0, 2.5, 6.0, 9.75])
def test_threshold_as_the_program_takes_it(tetclean, examples, tmp_path, threshold):
    files = example(examples, "mesh.node", "mesh.ele", "levelset.txt", "params.txt")
    expected, _ = run_tetclean(tetclean, *files, tmp_path, "--threshold", str(threshold))
    cleaned = lp.clean(lp.read_mesh(*files[:2]), lp.read_level_set(*files[2:]),
                       threshold=threshold)
    assert written(cleaned.mesh, tmp_path) == expected[:2]
    assert cleaned.report["threshold"] == threshold


@pytest.mark.parametrize("suffix", [".nii", ".nii.gz"])
@pytest.mark.parametrize("offset, warns", [(-1.5, False), (0.0, True)])
def test_read_level_set_from_nifti_holds_the_text_values(examples, tmp_path, suffix, offset,
                                                         warns):
    nibabel = pytest.importorskip("nibabel")
    level_set, parameters = example(examples, "levelset.txt", "params.txt")
    values = grid_from_text(level_set, parameters)
    affine = np.diag([0.5, 0.5, 0.5, 1.0])
    affine[:3, 3] = offset
    volume = str(tmp_path / f"levelset{suffix}")
    nibabel.save(nibabel.Nifti1Image(values, affine), volume)
    with warnings.catch_warnings(record=True) as caught:
        warnings.simplefilter("always")
        grid = lp.read_level_set(volume, parameters)
    assert [str(w.message).startswith(volume) for w in caught] == ([True] if warns else [])
    np.testing.assert_array_equal(grid.values, values)
    with pytest.raises(ValueError, match="parameter file's extents"):
        nibabel.save(nibabel.Nifti1Image(values[1:], affine), volume)
        lp.read_level_set(volume, parameters)
