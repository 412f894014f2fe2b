# SPDX-License-Identifier: MIT
"""read_mesh against meshio, Mesh from arrays, and the views of a mesh."""
import gc
import os

import numpy as np
import pytest

import levelset_prep as lp

meshio = pytest.importorskip("meshio")


@pytest.mark.parametrize("numbering", ["one_based", "zero_based"])
@pytest.mark.parametrize("threads", [1, 2])
def test_read_mesh_matches_meshio_on_tetgen_files(tetgen_meshes, numbering, threads):
    node, ele = tetgen_meshes[numbering]
    mesh = lp.read_mesh(node, ele, threads=threads)
    expected = meshio.read(node, file_format="tetgen")
    np.testing.assert_array_equal(mesh.nodes, expected.points)
    np.testing.assert_array_equal(mesh.tets, expected.get_cells_type("tetra"))
    regions = expected.cell_data_dict["tetgen:ref"]["tetra"]
    np.testing.assert_array_equal(mesh.regions, regions.astype(np.int32))
    assert len(np.unique(mesh.regions)) == 2 and len(mesh.tets) > 100


def plain_records(name, columns):
    with open(name) as file:
        values = file.read().split()
    count = int(values[0])
    header = 2 if columns == 4 else 3
    return np.array(values[header:header + count * columns], dtype=float).reshape(count, columns)


def test_read_mesh_reads_the_plain_layout(examples):
    node, ele = (os.path.join(examples, name) for name in ("mesh.node", "mesh.ele"))
    mesh = lp.read_mesh(node, ele)
    np.testing.assert_array_equal(mesh.nodes, plain_records(node, 4)[:, 1:])
    elements = plain_records(ele, 6).astype(np.int64)
    np.testing.assert_array_equal(mesh.tets, elements[:, 1:5] - 1)
    np.testing.assert_array_equal(mesh.regions, elements[:, 5])


def test_views_share_the_mesh_storage_and_keep_it_alive(examples):
    mesh = lp.read_mesh(*(os.path.join(examples, n) for n in ("mesh.node", "mesh.ele")))
    expected_tets = np.array(mesh.tets)
    nodes, tets, regions = mesh.nodes, mesh.tets, mesh.regions
    assert nodes.dtype == np.float64 and tets.dtype == np.int32 and regions.dtype == np.int32
    assert tets.strides == (20, 4) and regions.strides == (20,) and nodes.strides == (24, 8)
    # No copy on access: every access looks at the same bytes.
    assert mesh.tets.ctypes.data == tets.ctypes.data
    assert regions.ctypes.data == tets.ctypes.data + 16
    nodes[0, 0] = 42.0
    assert mesh.nodes[0, 0] == 42.0
    del mesh
    gc.collect()
    np.testing.assert_array_equal(tets, expected_tets)
    assert nodes[0, 0] == 42.0


def test_corners_cannot_be_changed_behind_the_checks():
    mesh = lp.Mesh([[0, 0, 0], [1, 0, 0], [0, 1, 0], [0, 0, 1]], [[0, 1, 2, 3]], [0])
    with pytest.raises(ValueError):
        mesh.tets[0, 0] = 9
    with pytest.raises(ValueError):
        mesh.tets.flags.writeable = True


UNIT_NODES = [[0, 0, 0], [1, 0, 0], [0, 1, 0], [0, 0, 1], [1, 1, 1]]


@pytest.mark.parametrize("dtype", [np.int32, np.int64, np.uint8, np.uint16, np.uint64, None])
def test_mesh_from_arrays_of_any_integer_type(dtype):
    tets = [[0, 1, 2, 3], [1, 2, 3, 4]]
    regions = [0, 7]
    if dtype is not None:
        tets, regions = np.array(tets, dtype=dtype), np.array(regions, dtype=dtype)
    mesh = lp.Mesh(np.array(UNIT_NODES, dtype=np.float32), tets, regions)
    np.testing.assert_array_equal(mesh.nodes, UNIT_NODES)
    np.testing.assert_array_equal(mesh.tets, [[0, 1, 2, 3], [1, 2, 3, 4]])
    np.testing.assert_array_equal(mesh.regions, [0, 7])


def test_whole_floats_are_taken_as_meshio_gives_regions():
    mesh = lp.Mesh(UNIT_NODES, np.array([[0, 1, 2, 3]], dtype=np.float32), np.array([-2.0]))
    np.testing.assert_array_equal(mesh.tets, [[0, 1, 2, 3]])
    assert mesh.regions.tolist() == [-2]


def test_mesh_from_fortran_ordered_and_strided_arrays():
    tets = np.asfortranarray(np.array([[0, 1, 2, 3], [1, 2, 3, 4]]))
    nodes = np.array(UNIT_NODES, dtype=float)[::-1]
    mesh = lp.Mesh(nodes, tets, np.array([[5, 0], [6, 0]])[:, 0])
    np.testing.assert_array_equal(mesh.nodes, nodes)
    np.testing.assert_array_equal(mesh.tets, tets)
    np.testing.assert_array_equal(mesh.regions, [5, 6])


def test_empty_mesh():
    mesh = lp.Mesh(np.empty((0, 3)), np.empty((0, 4), dtype=np.int32), [])
    assert mesh.nodes.shape == (0, 3) and mesh.tets.shape == (0, 4) and mesh.regions.shape == (0,)


TET = [[0, 1, 2, 3]]


@pytest.mark.parametrize("nodes, tets, regions, message", [
    (UNIT_NODES, [[0, 1, 2, 5]], [0], r"tets\[0, 3\] is 5: not a node index from 0 to 4"),
    (UNIT_NODES, [[0, -1, 2, 3]], [0], r"tets\[0, 1\] is -1"),
    (UNIT_NODES, np.array([[0, 1, 2, 2**63 + 1]], dtype=np.uint64), np.array([0], np.uint64),
     r"tets\[0, 3\] is 9223372036854775809"),
    (UNIT_NODES, [[0, 1, 2, 2**40]], [0], r"tets\[0, 3\] is 1099511627776"),
    (UNIT_NODES, TET, [2**31], r"regions\[0\] is 2147483648: not a 32-bit region"),
    (UNIT_NODES, TET, [0, 1], r"regions holds 2 values for the 1 tetrahedra"),
    (UNIT_NODES, [[0, 1, 2]], [0], r"tets must have shape \(T, 4\), not \(1, 3\)"),
    (UNIT_NODES, [0, 1, 2, 3], [0], r"tets must have shape \(T, 4\), not \(4,\)"),
    (UNIT_NODES, TET, [[0]], r"regions must have shape \(T,\)"),
    ([0, 0, 0], TET, [0], r"nodes must have shape \(N, 3\), not \(3,\)"),
    (UNIT_NODES, [[0.5, 1.0, 2.0, 3.0]], [0], r"tets\[0, 0\] is 0.5: not a node index"),
    (UNIT_NODES, TET, [0.5], r"regions\[0\] is 0.5: not a 32-bit region"),
    (UNIT_NODES, TET, [np.nan], r"regions\[0\] is nan: not a 32-bit region"),
    (UNIT_NODES, TET, [3e9], r"regions\[0\] is 3e\+09: not a 32-bit region"),
    (UNIT_NODES, [[True, False, True, False]], [0],
     r"tets must hold whole numbers, not dtype bool"),
    ([["a", "b", "c"]], TET, [0], r"nodes must hold numbers"),
    (np.ones((5, 3), dtype=complex), TET, [0], r"nodes must hold numbers, not dtype complex128"),
])
def test_mesh_from_bad_arrays_is_refused(nodes, tets, regions, message):
    with pytest.raises(ValueError, match=message):
        lp.Mesh(nodes, tets, regions)
