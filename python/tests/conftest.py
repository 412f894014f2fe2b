# SPDX-License-Identifier: MIT
"""Shared fixtures: the built tetclean, the example files and TetGen's meshes."""
import os
import shutil
import subprocess

import pytest


def pytest_addoption(parser):
    parser.addoption("--tetclean", required=True, help="the built tetclean")
    parser.addoption("--examples", required=True, help="the examples folder")


@pytest.fixture(scope="session")
def tetclean(request):
    return request.config.getoption("--tetclean")


@pytest.fixture(scope="session")
def examples(request):
    return request.config.getoption("--examples")


def run_tetclean(tetclean, node, ele, level_set, parameters, folder, *options):
    """tetclean's outputs' bytes (node, ele, node map) and its stderr."""
    node_out, ele_out, node_map = (os.path.join(folder, f"program.{end}")
                                   for end in ("node", "ele", "map"))
    run = subprocess.run([tetclean, "--node-map", node_map, *options, node, ele, node_out,
                          ele_out, level_set, parameters], capture_output=True, text=True)
    if run.returncode != 0:
        return None, run.stderr
    outputs = []
    for name in (node_out, ele_out, node_map):
        with open(name, "rb") as file:
            outputs.append(file.read())
    return outputs, run.stderr


@pytest.fixture(scope="session")
def tetgen_meshes(examples, tmp_path_factory):
    """TetGen's meshes of examples/two_cubes.poly: one-based and zero-based."""
    if shutil.which("tetgen") is None:
        pytest.skip("tetgen is not installed")
    folder = tmp_path_factory.mktemp("tetgen")
    meshes = {}
    for name, flags in (("one_based", "-pqAa2Q"), ("zero_based", "-pqAa2zQ")):
        poly = folder / f"{name}.poly"
        shutil.copy(os.path.join(examples, "two_cubes.poly"), poly)
        subprocess.run(["tetgen", flags, str(poly)], check=True, capture_output=True)
        meshes[name] = (str(folder / f"{name}.1.node"), str(folder / f"{name}.1.ele"))
    return meshes
