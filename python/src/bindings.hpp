// SPDX-License-Identifier: MIT
// The Python types that hold the libraries' records, and the functions
// that add each part of the module.
//
// Mesh, LevelSetGrid and Volume own their storage; the arrays they hand out
// are views of it. A mesh or grid read from files remembers their names for
// the clean-up's report.
#pragma once

#include <optional>
#include <pybind11/pybind11.h>
#include <string>

#include <levelset_prep/analyze/analyze_image.hpp>
#include <levelset_prep/levelset/level_set_grid.hpp>
#include <levelset_prep/mesh/tet_mesh.hpp>

namespace levelset_prep::python {

namespace py = pybind11;

struct Mesh {
    mesh::TetMesh mesh;
    py::object node_file = py::none();
    py::object ele_file = py::none();
};

struct LevelSetGrid {
    levelset::LevelSetGrid grid;
    py::object level_set_file = py::none();
    py::object parameters_file = py::none();
};

struct Volume {
    analyze::analyze_image image;
};

void bind_mesh(py::module_& module);
void bind_level_set(py::module_& module);
void bind_clean(py::module_& module);
void bind_volume(py::module_& module);

}  // namespace levelset_prep::python
