// SPDX-License-Identifier: MIT
// write_vtu: a mesh, or what clean() returned, as tetclean's --vtu file.
#include <cstring>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include <levelset_prep/levelset/clean_up.hpp>
#include <levelset_prep/mesh/mesh_reading.hpp>
#include <levelset_prep/mesh/vtu_file.hpp>
#include <levelset_prep/textio/output_set.hpp>

#include "bindings.hpp"
#include "python_errors.hpp"

namespace levelset_prep::python {

namespace {

// The point data of the file, owned here or borrowed from a CleanResult;
// each array null for none.
struct PointData {
    std::unique_ptr<float[]> own_level_set;
    std::unique_ptr<std::int32_t[]> input_node;
    const float* level_set = nullptr;
};

// A per-node argument as one value a node, of a dtype kind among `kinds`.
py::array node_array(const py::object& values, const char* name, std::int32_t nodes,
                     const char* kinds) {
    py::array array = py::module_::import("numpy").attr("asarray")(values);
    if (array.ndim() != 1 || array.shape(0) != nodes) {
        raise_value_error(std::string(name) + " must have shape (" + std::to_string(nodes) +
                          ",), one value a node, not " + shape_text(array));
    }
    if (nodes > 0 && std::strchr(kinds, array.dtype().kind()) == nullptr) {
        raise_value_error(std::string(name) + " must hold " +
                          (std::strchr(kinds, 'f') != nullptr ? "numbers" : "whole numbers") +
                          ", not dtype " + py::str(array.dtype()).cast<std::string>());
    }
    return array;
}

// The values as float32, as the file holds them (float64 rounds to nearest).
std::unique_ptr<float[]> level_set_values(const py::object& values, std::int32_t nodes) {
    const auto array = py::array_t<float, py::array::c_style | py::array::forcecast>::ensure(
        node_array(values, "level_set", nodes, "fiu"));
    if (!array) throw py::error_already_set();
    auto copy = std::make_unique<float[]>(static_cast<std::size_t>(nodes));
    if (nodes > 0)
        std::memcpy(copy.get(), array.data(), static_cast<std::size_t>(nodes) * sizeof(float));
    return copy;
}

// The numbers as Int32, refusing one that would wrap.
std::unique_ptr<std::int32_t[]> input_node_values(const py::object& values, std::int32_t nodes) {
    const auto array = py::array_t<std::int64_t, py::array::c_style | py::array::forcecast>::ensure(
        node_array(values, "input_node", nodes, "iu"));
    if (!array) throw py::error_already_set();
    auto copy = std::make_unique<std::int32_t[]>(static_cast<std::size_t>(nodes));
    for (std::int32_t i = 0; i < nodes; ++i) {
        const std::int64_t value = array.data()[i];
        if (value < std::numeric_limits<std::int32_t>::min() ||
            value > std::numeric_limits<std::int32_t>::max()) {
            raise_value_error("input_node[" + std::to_string(i) + "] is " + std::to_string(value) +
                              ": not a 32-bit number");
        }
        copy[i] = static_cast<std::int32_t>(value);
    }
    return copy;
}

// The mesh to write, and its point data in `data`: a CleanResult's own, or
// the arrays given beside a Mesh.
const Mesh& mesh_and_data(const py::object& source, const py::object& level_set,
                          const py::object& input_node, PointData& data) {
    if (py::isinstance<CleanResult>(source)) {
        if (!level_set.is_none() || !input_node.is_none()) {
            raise_value_error(
                "a CleanResult brings its own level_set and input_node; "
                "pass its .mesh to write others");
        }
        const auto& cleaned = source.cast<const CleanResult&>();
        const Mesh& mesh = cleaned.mesh.cast<const Mesh&>();
        data.level_set = cleaned.level_set.get();
        data.input_node = levelset::input_node_numbers(cleaned.node_map.get(), cleaned.nodes_read,
                                                       mesh.mesh.node_count());
        if (!data.input_node) throw std::bad_alloc();
        return mesh;
    }
    if (!py::isinstance<Mesh>(source)) {
        throw py::type_error("mesh must be a Mesh or a CleanResult, not " +
                             py::str(py::type::of(source).attr("__name__")).cast<std::string>());
    }
    const Mesh& mesh = source.cast<const Mesh&>();
    const std::int32_t nodes = mesh.mesh.node_count();
    if (!level_set.is_none()) {
        data.own_level_set = level_set_values(level_set, nodes);
        data.level_set = data.own_level_set.get();
    }
    if (!input_node.is_none()) data.input_node = input_node_values(input_node, nodes);
    return mesh;
}

void write_vtu(const py::object& source, const py::object& file, const py::object& level_set,
               const py::object& input_node) {
    const std::string name = path_argument(file);
    PointData data;
    const Mesh& mesh = mesh_and_data(source, level_set, input_node, data);
    std::vector<std::string> inputs;
    for (const py::object& input : {mesh.node_file, mesh.ele_file}) {
        if (!input.is_none()) inputs.push_back(path_argument(input));
    }
    textio::MaybeError error;
    {
        py::gil_scoped_release unlocked;
        error = mesh::naming_memory(name, [&] {
            const textio::Output outputs[] = {
                {{"file", name},
                 mesh::vtu_file_text(mesh.mesh, {data.level_set, data.input_node.get()})},
            };
            if (auto problem = textio::check_outputs(outputs)) return problem;
            return textio::write_outputs(outputs, inputs, 1);
        });
    }
    raise_if(error);
}

}  // namespace

void bind_vtu(py::module_& module) {
    module.def("write_vtu", &write_vtu, py::arg("mesh"), py::arg("file"), py::kw_only(),
               py::arg("level_set") = py::none(), py::arg("input_node") = py::none(),
               R"(Write a mesh as a VTK XML UnstructuredGrid file (.vtu), as tetclean --vtu does.

mesh is a Mesh or what clean() returned. For a CleanResult the file holds
the bytes tetclean --vtu writes for the same input: its mesh, the point
data level_set (Float32) and input_node (Int32, each kept node's 1-based
number in the input), and the cell data region (Int32). For a Mesh the
point data are the arrays given, one value a node, each left out when
None: level_set as float32, input_node as int32. The arrays are binary
and appended raw, little-endian, behind UInt64 byte counts; VTK's
vtkXMLUnstructuredGridReader, ParaView and meshio read the file.
The file is replaced whole or not at all. Raises OSError for a file that
cannot be written, ValueError for arrays that do not fit the mesh.)");
}

}  // namespace levelset_prep::python
