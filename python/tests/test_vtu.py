# SPDX-License-Identifier: MIT
"""write_vtu against tetclean --vtu's bytes, read back by VTK's reader and meshio."""
import os
import subprocess

import numpy as np
import pytest

import levelset_prep as lp
from test_clean import MESHES, example, grid_from_text, mesh_files  # noqa: F401


def program_vtu(tetclean, files, folder):
    """The .vtu tetclean writes for the mesh and level-set files."""
    vtu = os.path.join(folder, "program.vtu")
    outputs = [os.path.join(folder, name) for name in ("program.node", "program.ele")]
    subprocess.run([tetclean, "-q", "--vtu", vtu, *files[:2], *outputs, *files[2:]],
                   check=True, capture_output=True)
    with open(vtu, "rb") as file:
        return file.read()


def module_vtu(source, folder, **arrays):
    vtu = os.path.join(folder, "module.vtu")
    lp.write_vtu(source, vtu, **arrays)
    with open(vtu, "rb") as file:
        return file.read()


def input_numbers(node_map):
    """Each kept node's 1-based number in the input, computed in numpy."""
    numbers = np.zeros(node_map.max() + 1, dtype=np.int32)
    kept = np.flatnonzero(node_map >= 0)
    numbers[node_map[kept]] = kept + 1
    return numbers


def cleaned_example(examples):
    files = example(examples, "mesh.node", "mesh.ele", "levelset.txt", "params.txt")
    return lp.clean(lp.read_mesh(*files[:2]), lp.read_level_set(*files[2:]))


@pytest.mark.parametrize("mesh_files", MESHES, indirect=True)
@pytest.mark.parametrize("source", ["clean_result", "mesh_and_arrays", "numpy_inputs"])
def test_write_vtu_writes_the_program_bytes(tetclean, examples, mesh_files, tmp_path, source):
    files = [*mesh_files, *example(examples, "levelset.txt", "params.txt")]
    expected = program_vtu(tetclean, files, tmp_path)
    mesh, grid = lp.read_mesh(*files[:2]), lp.read_level_set(*files[2:])
    if source == "numpy_inputs":
        mesh = lp.Mesh(np.array(mesh.nodes), np.array(mesh.tets, np.int64), mesh.regions.tolist())
        grid = lp.LevelSetGrid(grid_from_text(*files[2:]))
    cleaned = lp.clean(mesh, grid)
    if source == "mesh_and_arrays":
        written = module_vtu(cleaned.mesh, tmp_path, level_set=cleaned.level_set.astype(float),
                             input_node=input_numbers(cleaned.node_map).astype(np.int64))
    else:
        written = module_vtu(cleaned, tmp_path)
    assert written == expected


def vtk_arrays(name):
    io_xml = pytest.importorskip("vtkmodules.vtkIOXML")
    from vtkmodules.util.numpy_support import vtk_to_numpy
    reader = io_xml.vtkXMLUnstructuredGridReader()
    reader.SetFileName(name)
    reader.Update()
    grid = reader.GetOutput()
    point_data = grid.GetPointData()
    arrays = {point_data.GetArrayName(i): vtk_to_numpy(point_data.GetArray(i))
              for i in range(point_data.GetNumberOfArrays())}
    arrays["points"] = vtk_to_numpy(grid.GetPoints().GetData())
    arrays["cells"] = vtk_to_numpy(grid.GetCells().GetConnectivityArray()).reshape(-1, 4)
    arrays["types"] = vtk_to_numpy(grid.GetCellTypesArray())
    arrays["region"] = vtk_to_numpy(grid.GetCellData().GetArray("region"))
    return arrays


def meshio_arrays(name):
    meshio = pytest.importorskip("meshio")
    read = meshio.read(name)
    arrays = dict(read.point_data)
    arrays.update(points=read.points, cells=read.get_cells_type("tetra"),
                  types=np.full(len(read.get_cells_type("tetra")), 10),
                  region=read.cell_data_dict["region"]["tetra"])
    return arrays


@pytest.mark.parametrize("reader", [vtk_arrays, meshio_arrays])
def test_readers_take_the_file_of_a_clean_result(examples, tmp_path, reader):
    cleaned = cleaned_example(examples)
    name = str(tmp_path / "clean.vtu")
    lp.write_vtu(cleaned, name)
    arrays = reader(name)
    np.testing.assert_array_equal(arrays["points"], cleaned.mesh.nodes)
    np.testing.assert_array_equal(arrays["cells"], cleaned.mesh.tets)
    assert np.all(arrays["types"] == 10)
    assert arrays["region"].dtype == np.int32 and arrays["level_set"].dtype == np.float32
    np.testing.assert_array_equal(arrays["region"], cleaned.mesh.regions)
    np.testing.assert_array_equal(arrays["level_set"], cleaned.level_set)
    np.testing.assert_array_equal(arrays["input_node"], input_numbers(cleaned.node_map))


@pytest.mark.parametrize("arrays, point_data", [
    ({}, set()),
    ({"level_set": [0.5, -1.0, 2.0, 800.0]}, {"level_set"}),
    ({"input_node": np.array([7, 1, 3, 2], np.uint8)}, {"input_node"}),
])
def test_a_mesh_carries_the_point_data_given(tmp_path, arrays, point_data):
    mesh = lp.Mesh([[0, 0, 0], [1, 0, 0], [0, 1, 0], [0, 0, 1]], [[0, 1, 2, 3]], [5])
    name = str(tmp_path / "mesh.vtu")
    lp.write_vtu(mesh, name, **arrays)
    read = vtk_arrays(name)
    assert set(read) - {"points", "cells", "types", "region"} == point_data
    for key, values in arrays.items():
        np.testing.assert_array_equal(read[key], values)
    assert read["region"].tolist() == [5]


def tiny_mesh():
    return lp.Mesh([[0, 0, 0], [1, 0, 0], [0, 1, 0], [0, 0, 1]], [[0, 1, 2, 3]], [0])


@pytest.mark.parametrize("arguments, error, text", [
    ({"level_set": [1.0, 2.0]}, ValueError, r"level_set must have shape \(4,\), one value a node"),
    ({"level_set": np.zeros((4, 1))}, ValueError, r"not \(4, 1\)"),
    ({"level_set": ["a", "b", "c", "d"]}, ValueError, "level_set must hold numbers, not dtype"),
    ({"input_node": [1.0, 2.0, 3.0, 4.0]}, ValueError, "input_node must hold whole numbers"),
    ({"input_node": [1, 2, 3, 2**31]}, ValueError,
     r"input_node\[3\] is 2147483648: not a 32-bit number"),
    ({"file": "no/such/folder/a.vtu"}, FileNotFoundError, "cannot create output file"),
    ({"file": ""}, ValueError, "empty"),
    ({"mesh": "mesh.node"}, TypeError, "mesh must be a Mesh or a CleanResult, not str"),
])
def test_write_vtu_refusals(tmp_path, monkeypatch, arguments, error, text):
    arguments = {"mesh": tiny_mesh(), "file": "a.vtu", **arguments}
    monkeypatch.chdir(tmp_path)
    with pytest.raises(error, match=text):
        lp.write_vtu(arguments.pop("mesh"), arguments.pop("file"), **arguments)
    assert os.listdir(tmp_path) == []


def test_a_clean_result_keeps_its_own_point_data(examples, tmp_path):
    with pytest.raises(ValueError, match="pass its .mesh to write others"):
        lp.write_vtu(cleaned_example(examples), tmp_path / "a.vtu", level_set=[0.0])
    assert not (tmp_path / "a.vtu").exists()
