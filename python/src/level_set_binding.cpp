// SPDX-License-Identifier: MIT
// LevelSetGrid and read_level_set.
#include <cstring>
#include <limits>
#include <pybind11/numpy.h>
#include <string>

#include <levelset_prep/mesh/mesh_reading.hpp>
#include <levelset_prep/mesh/run_parameters.hpp>

#include "array_views.hpp"
#include "bindings.hpp"
#include "python_errors.hpp"

namespace levelset_prep::python {

namespace {

// The sampling kernel indexes the grid with 32-bit integers.
constexpr std::int64_t most_points = std::numeric_limits<std::int32_t>::max();

LevelSetGrid grid_of_array(const py::object& values_in) {
    const py::array values = py::module_::import("numpy").attr("asarray")(values_in);
    if (values.ndim() != 3) {
        raise_value_error("values must have shape (nx, ny, nz), not " +
                          std::to_string(values.ndim()) + " axes");
    }
    if (values.size() > 0 && std::strchr("fiu", values.dtype().kind()) == nullptr) {
        raise_value_error("values must hold numbers, not dtype " +
                          py::str(values.dtype()).cast<std::string>());
    }
    const bool too_long = values.shape(0) > most_points || values.shape(1) > most_points ||
                          values.shape(2) > most_points;
    if (values.size() > most_points || too_long) {
        raise_value_error("values holds " + std::to_string(values.size()) +
                          " points; a grid holds at most " + std::to_string(most_points));
    }
    // Fortran order: x varies fastest, as in the grid's file.
    const auto fortran =
        py::array_t<float, py::array::f_style | py::array::forcecast>::ensure(values);
    if (!fortran) throw py::error_already_set();
    const mesh::GridShape shape{static_cast<std::int32_t>(values.shape(0)),
                                static_cast<std::int32_t>(values.shape(1)),
                                static_cast<std::int32_t>(values.shape(2))};
    LevelSetGrid result;
    if (!result.grid.allocate(shape)) throw std::bad_alloc();
    if (values.size() > 0) {
        std::memcpy(result.grid.values.get(), fortran.data(),
                    static_cast<std::size_t>(values.size()) * sizeof(float));
    }
    return result;
}

// The notice tetclean prints for a grid file longer than its grid, as a
// warning.
void warn_more_values(const std::string& file, const mesh::GridShape& shape) {
    const std::string message =
        py::str(shown_path(file)).cast<std::string>() + ": holds more values than the " +
        std::to_string(shape.points()) + " the grid needs (" + std::to_string(shape.nx) + " x " +
        std::to_string(shape.ny) + " x " + std::to_string(shape.nz) +
        "); the rest is not read: do the parameter file's extents belong to this grid?";
    if (PyErr_WarnEx(PyExc_UserWarning, message.c_str(), 1) != 0) throw py::error_already_set();
}

LevelSetGrid read_level_set(const py::object& level_set_file, const py::object& parameters_file) {
    const std::string level_set_name = path_argument(level_set_file);
    const std::string parameters_name = path_argument(parameters_file);
    LevelSetGrid result;
    levelset::LevelSetFileNotes notes;
    textio::MaybeError error;
    {
        py::gil_scoped_release unlocked;
        mesh::RunParameters param;
        error = mesh::naming_memory(parameters_name,
                                    [&] { return param.read_parameter_file(parameters_name); });
        const mesh::GridShape shape = mesh::grid_shape(param, 1);
        if (!error && !result.grid.allocate(shape)) {
            error = textio::file_error(parameters_name, "cannot allocate the level-set grid (" +
                                                            std::to_string(shape.points()) +
                                                            " values)");
        }
        if (!error) {
            error = mesh::naming_memory(level_set_name, [&] {
                return levelset::read_level_set_file(level_set_name, result.grid, nullptr, &notes);
            });
        }
    }
    raise_if(error);
    if (notes.more_values) warn_more_values(level_set_name, result.grid.shape);
    if (!notes.geometry.empty()) {
        const std::string message =
            py::str(shown_path(level_set_name)).cast<std::string>() + ": " + notes.geometry;
        if (PyErr_WarnEx(PyExc_UserWarning, message.c_str(), 1) != 0) {
            throw py::error_already_set();
        }
    }
    const py::object fspath = py::module_::import("os").attr("fspath");
    result.level_set_file = fspath(level_set_file);
    result.parameters_file = fspath(parameters_file);
    return result;
}

}  // namespace

void bind_level_set(py::module_& module) {
    py::class_<LevelSetGrid>(module, "LevelSetGrid",
                             R"(A level-set grid: values at grid points (i, j, k).

LevelSetGrid(values) takes an (nx, ny, nz) array-like indexed [x, y, z] and
converts it to float32 once. Point (i, j, k) lies at mesh coordinates
((i - 3) / 2, (j - 3) / 2, (k - 3) / 2).)")
        .def(py::init(&grid_of_array), py::arg("values"))
        .def_property_readonly(
            "values",
            [](const py::object& self) {
                const levelset::LevelSetGrid& grid = self.cast<const LevelSetGrid&>().grid;
                return grid_view(grid.values.get(), grid.shape.nx, grid.shape.ny, grid.shape.nz,
                                 self, true);
            },
            "float32 (nx, ny, nz) indexed [x, y, z], in Fortran order (x fastest in memory): "
            "a writable view of the grid's storage.")
        .def_property_readonly(
            "shape",
            [](const LevelSetGrid& self) {
                const mesh::GridShape& shape = self.grid.shape;
                return py::make_tuple(shape.nx, shape.ny, shape.nz);
            },
            "(nx, ny, nz)")
        .def("__repr__", [](const LevelSetGrid& self) {
            const mesh::GridShape& shape = self.grid.shape;
            return "<levelset_prep.LevelSetGrid: " + std::to_string(shape.nx) + " x " +
                   std::to_string(shape.ny) + " x " + std::to_string(shape.nz) + ">";
        });

    module.def("read_level_set", &read_level_set, py::arg("level_set_file"),
               py::arg("parameters_file"),
               R"(Read a level-set grid as tetclean does.

The parameter file's first three numbers, the grid extents, give the grid's
shape. A level-set file named *.nii or *.nii.gz is a NIfTI-1 volume of that
shape (values scaled by scl_slope and scl_inter); any other is text, values
x fastest, then y, then z. A text file with more values than the grid needs,
or a volume whose header places its voxels elsewhere than the grid's points,
is read and gives a UserWarning. Raises OSError for a file that cannot be read, ValueError for its content.)");
}

}  // namespace levelset_prep::python
