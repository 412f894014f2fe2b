// SPDX-License-Identifier: MIT
// Mesh, read_mesh and write_mesh.
#include <cmath>
#include <cstring>
#include <limits>
#include <pybind11/numpy.h>
#include <pybind11/stl.h>
#include <string>
#include <type_traits>
#include <vector>

#include <levelset_prep/mesh/mesh_files.hpp>
#include <levelset_prep/mesh/mesh_reading.hpp>
#include <levelset_prep/textio/number_format.hpp>
#include <levelset_prep/textio/output_set.hpp>

#include "array_views.hpp"
#include "bindings.hpp"
#include "python_errors.hpp"

namespace levelset_prep::python {

namespace {

constexpr std::int64_t most_records = std::numeric_limits<std::int32_t>::max();
// The element file is read beside the node file, and the outputs are
// written on two threads, as tetclean does.
constexpr int most_threads = 2;

std::string shape_text(const py::array& array) {
    std::string text = "(";
    for (py::ssize_t axis = 0; axis < array.ndim(); ++axis) {
        if (axis > 0) text += ", ";
        text += std::to_string(array.shape(axis));
    }
    return text + (array.ndim() == 1 ? ",)" : ")");
}

// `values` as an array of `columns` columns (0: one axis) and at most
// most_records rows, of a dtype kind among `kinds`.
py::array checked_array(const py::object& values, const char* name, int columns, const char* shape,
                        const char* kinds) {
    py::array array = py::module_::import("numpy").attr("asarray")(values);
    const bool shaped =
        columns == 0 ? array.ndim() == 1 : array.ndim() == 2 && array.shape(1) == columns;
    if (!shaped) {
        raise_value_error(std::string(name) + " must have shape " + shape + ", not " +
                          shape_text(array));
    }
    if (array.shape(0) > most_records) {
        raise_value_error(std::string(name) + " holds " + std::to_string(array.shape(0)) +
                          " rows; a mesh holds at most " + std::to_string(most_records));
    }
    if (array.size() > 0 && std::strchr(kinds, array.dtype().kind()) == nullptr) {
        raise_value_error(std::string(name) + " must hold " +
                          (columns == 3 ? "numbers" : "whole numbers") + ", not dtype " +
                          py::str(array.dtype()).cast<std::string>());
    }
    return array;
}

// Whether `value` lies in [low, high], for signed and unsigned values alike.
template <typename Int>
bool within(Int value, std::int64_t low, std::int64_t high) {
    if constexpr (std::is_floating_point_v<Int>) {
        // Whole numbers only, as the element reader takes a region "1.0".
        return value >= static_cast<double>(low) && value <= static_cast<double>(high) &&
               value == std::trunc(value);
    } else if constexpr (std::is_signed_v<Int>) {
        return value >= low && value <= high;
    } else {
        return low <= 0 && value <= static_cast<std::uint64_t>(high);
    }
}

template <typename Int>
std::string text_of(Int value) {
    if constexpr (std::is_floating_point_v<Int>) {
        char text[textio::max_number_chars];
        return {text, textio::format_shortest(text, value)};
    } else {
        return std::to_string(value);
    }
}

// Copies (T, 4) corners and (T,) regions into the interleaved records,
// refusing a corner that is no node and a region beyond 32 bits.
template <typename Int>
void copy_tets(const py::array& tets_in, const py::array& regions_in, mesh::TetMesh& mesh) {
    const auto tets = py::array_t<Int, py::array::c_style | py::array::forcecast>::ensure(tets_in);
    const auto regions =
        py::array_t<Int, py::array::c_style | py::array::forcecast>::ensure(regions_in);
    if (!tets || !regions) throw py::error_already_set();
    const Int* corner = tets.data();
    const Int* region = regions.data();
    const std::int64_t nodes = mesh.node_count();
    for (std::int32_t j = 0; j < mesh.tet_count(); ++j) {
        std::int32_t* record = mesh.corners(j);
        for (int c = 0; c < 4; ++c, ++corner) {
            if (!within(*corner, 0, nodes - 1)) {
                raise_value_error("tets[" + std::to_string(j) + ", " + std::to_string(c) + "] is " +
                                  text_of(*corner) + ": not a node index from 0 to " +
                                  std::to_string(nodes - 1));
            }
            record[c] = static_cast<std::int32_t>(*corner);
        }
        const Int value = region[j];
        if (!within(value, std::numeric_limits<std::int32_t>::min(),
                    std::numeric_limits<std::int32_t>::max())) {
            raise_value_error("regions[" + std::to_string(j) + "] is " + text_of(value) +
                              ": not a 32-bit region");
        }
        record[4] = static_cast<std::int32_t>(value);
    }
}

Mesh mesh_of_arrays(const py::object& nodes_in, const py::object& tets_in,
                    const py::object& regions_in) {
    const py::array nodes = checked_array(nodes_in, "nodes", 3, "(N, 3)", "fiu");
    // Floats are taken where they are whole numbers: meshio's regions are.
    const py::array tets = checked_array(tets_in, "tets", 4, "(T, 4)", "iuf");
    const py::array regions = checked_array(regions_in, "regions", 0, "(T,)", "iuf");
    if (regions.shape(0) != tets.shape(0)) {
        raise_value_error("regions holds " + std::to_string(regions.shape(0)) + " values for the " +
                          std::to_string(tets.shape(0)) + " tetrahedra");
    }
    const auto coordinates =
        py::array_t<double, py::array::c_style | py::array::forcecast>::ensure(nodes);
    if (!coordinates) throw py::error_already_set();
    Mesh result;
    const char* failed = nullptr;
    if (!result.mesh.allocate(static_cast<std::int32_t>(nodes.shape(0)),
                              static_cast<std::int32_t>(tets.shape(0)), &failed)) {
        throw std::bad_alloc();
    }
    static_assert(mesh::TetMesh::node_stride == 3);
    if (nodes.size() > 0) {
        std::memcpy(result.mesh.node_data(), coordinates.data(),
                    static_cast<std::size_t>(coordinates.size()) * sizeof(double));
    }
    // Unsigned 64-bit values would wrap in a signed copy; the others fit.
    const auto kind_of = [](const py::array& a) { return a.dtype().kind(); };
    const bool wide_unsigned = (kind_of(tets) == 'u' && tets.dtype().itemsize() == 8) ||
                               (kind_of(regions) == 'u' && regions.dtype().itemsize() == 8);
    if (kind_of(tets) == 'f' || kind_of(regions) == 'f') {
        copy_tets<double>(tets, regions, result.mesh);
    } else if (wide_unsigned) {
        copy_tets<std::uint64_t>(tets, regions, result.mesh);
    } else {
        copy_tets<std::int64_t>(tets, regions, result.mesh);
    }
    return result;
}

Mesh read_mesh(const py::object& node_file, const py::object& ele_file,
               std::optional<int> threads) {
    const std::string node_name = path_argument(node_file);
    const std::string ele_name = path_argument(ele_file);
    const int count = thread_argument(threads, most_threads);
    Mesh result;
    textio::MaybeError error;
    {
        py::gil_scoped_release unlocked;
        mesh::RunParameters param;
        mesh::MeshLayout layout;
        error = mesh::naming_memory(node_name, [&] {
            return mesh::read_mesh_files(node_name, ele_name, count, param, layout, result.mesh);
        });
    }
    raise_if(error);
    result.node_file = py::module_::import("os").attr("fspath")(node_file);
    result.ele_file = py::module_::import("os").attr("fspath")(ele_file);
    return result;
}

void write_mesh(const Mesh& mesh, const py::object& node_file, const py::object& ele_file,
                const std::string& layout, bool full_precision, std::optional<int> threads) {
    if (layout != "plain") {
        raise_value_error("layout must be \"plain\", not \"" + layout + "\"");
    }
    const std::string node_name = path_argument(node_file);
    const std::string ele_name = path_argument(ele_file);
    const int count = thread_argument(threads, most_threads);
    // A mesh read from files: an output that replaces one reaches the disk
    // before the rename, as the program's do.
    std::vector<std::string> inputs;
    for (const py::object& input : {mesh.node_file, mesh.ele_file}) {
        if (!input.is_none()) inputs.push_back(path_argument(input));
    }
    textio::MaybeError error;
    {
        py::gil_scoped_release unlocked;
        error = mesh::naming_memory(node_name, [&] {
            const textio::Output outputs[] = {
                {{"node_file", node_name}, mesh::node_file_text(mesh.mesh, full_precision)},
                {{"ele_file", ele_name}, mesh::element_file_text(mesh.mesh)},
            };
            if (auto problem = textio::check_outputs(outputs)) return problem;
            return textio::write_outputs(outputs, inputs, count);
        });
    }
    raise_if(error);
}

std::string mesh_repr(const Mesh& mesh) {
    return "<levelset_prep.Mesh: " + std::to_string(mesh.mesh.node_count()) + " nodes, " +
           std::to_string(mesh.mesh.tet_count()) + " tetrahedra>";
}

}  // namespace

void bind_mesh(py::module_& module) {
    using mesh::TetMesh;
    constexpr auto int_size = static_cast<py::ssize_t>(sizeof(std::int32_t));
    constexpr auto double_size = static_cast<py::ssize_t>(sizeof(double));
    py::class_<Mesh>(module, "Mesh", R"(A tetrahedral mesh: nodes, tetrahedra and their regions.

Mesh(nodes, tets, regions) converts array-likes of shape (N, 3) (coordinates),
(T, 4) (zero-based node indices) and (T,) (integer regions) once, checking
every index. The arrays it hands out are views of its own storage.)")
        .def(py::init(&mesh_of_arrays), py::arg("nodes"), py::arg("tets"), py::arg("regions"))
        .def_property_readonly(
            "nodes",
            [](const py::object& self) {
                const TetMesh& m = self.cast<const Mesh&>().mesh;
                return view_of(m.node_data(), {m.node_count(), 3},
                               {TetMesh::node_stride * double_size, double_size}, self, true);
            },
            "float64 (N, 3): the coordinates, a writable view of the mesh's storage.")
        .def_property_readonly(
            "tets",
            [](const py::object& self) {
                const TetMesh& m = self.cast<const Mesh&>().mesh;
                return view_of(m.tet_data(), {m.tet_count(), 4},
                               {TetMesh::tet_stride * int_size, int_size}, self, false);
            },
            "int32 (T, 4): zero-based node indices, a read-only view of the mesh's storage.")
        .def_property_readonly(
            "regions",
            [](const py::object& self) {
                const TetMesh& m = self.cast<const Mesh&>().mesh;
                const std::int32_t* first = m.tet_data() == nullptr ? nullptr : m.tet_data() + 4;
                return view_of(first, {m.tet_count()}, {TetMesh::tet_stride * int_size}, self,
                               true);
            },
            "int32 (T,): each tetrahedron's region, a writable view of the mesh's storage.")
        .def("__repr__", &mesh_repr);

    module.def("read_mesh", &read_mesh, py::arg("node_file"), py::arg("ele_file"), py::kw_only(),
               py::arg("threads") = py::none(),
               R"(Read a mesh from its node and element files.

Both layouts are read: the plain one (N 3 / T 4 1) and TetGen's, with '#'
comments and TetGen's zero-based numbering. threads=None reads the element
file beside the node file where the machine has two cores.
Raises OSError for a file that cannot be read, ValueError for its content.)");
    module.def("write_mesh", &write_mesh, py::arg("mesh"), py::arg("node_file"),
               py::arg("ele_file"), py::kw_only(), py::arg("layout") = "plain",
               py::arg("full_precision") = false, py::arg("threads") = py::none(),
               R"(Write a mesh as node and element files, byte for byte as tetclean does.

Coordinates have 6 significant digits, or the shortest exact text with
full_precision=True. Both files are replaced together or not at all.)");
}

}  // namespace levelset_prep::python
