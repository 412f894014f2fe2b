// SPDX-License-Identifier: MIT
// clean and CleanResult.
#include <cstring>
#include <memory>
#include <pybind11/stl.h>
#include <string>

#include <levelset_prep/levelset/clean_up.hpp>
#include <levelset_prep/mesh/mesh_reading.hpp>

#include "array_views.hpp"
#include "bindings.hpp"
#include "python_errors.hpp"

namespace levelset_prep::python {

namespace {

struct CleanResult {
    py::object mesh;
    std::int32_t nodes_read = 0;
    std::unique_ptr<std::int32_t[]> node_map;
    std::unique_ptr<float[]> level_set;
    py::dict report;
};

// A copy of the caller's mesh, which the clean-up then works on in place.
bool copy_mesh(const mesh::TetMesh& from, mesh::TetMesh& to) {
    if (!to.allocate(from.node_count(), from.tet_count())) return false;
    const auto nodes = static_cast<std::size_t>(from.node_count());
    const auto tets = static_cast<std::size_t>(from.tet_count());
    if (nodes > 0) {
        std::memcpy(to.node_data(), from.node_data(),
                    nodes * mesh::TetMesh::node_stride * sizeof(double));
    }
    if (tets > 0) {
        std::memcpy(to.tet_data(), from.tet_data(),
                    tets * mesh::TetMesh::tet_stride * sizeof(std::int32_t));
    }
    return true;
}

// The counts under the keys of tetclean's --report.
py::dict report_of(const levelset::CleanResult& cleaned, float threshold, const Mesh& mesh,
                   const LevelSetGrid& grid) {
    py::dict report;
    report["nodes_read"] = cleaned.nodes_read;
    report["nodes_kept"] = cleaned.mesh.node_count();
    report["nodes_outside_grid"] = cleaned.nodes_outside_grid;
    report["tetrahedra_read"] = cleaned.tets_read;
    report["tetrahedra_kept"] = cleaned.mesh.tet_count();
    report["threshold"] = static_cast<double>(threshold);
    py::list regions;
    for (const levelset::RegionCount& region : cleaned.regions) {
        py::dict entry;
        entry["region"] = region.region;
        entry["read"] = region.read;
        entry["kept"] = region.kept;
        regions.append(entry);
    }
    report["regions"] = regions;
    // None where the mesh or grid was built from arrays.
    report["node_file_in"] = mesh.node_file;
    report["ele_file_in"] = mesh.ele_file;
    report["level_set_file"] = grid.level_set_file;
    report["parameters_file"] = grid.parameters_file;
    report["version"] = LEVELSET_PREP_VERSION;
    return report;
}

CleanResult clean(const Mesh& mesh, const LevelSetGrid& grid, float threshold,
                  std::optional<int> threads) {
    const int count = thread_argument(threads, 64);
    mesh::TetMesh copy;
    // Under the GIL: no other thread writes the nodes meanwhile.
    if (!copy_mesh(mesh.mesh, copy)) throw std::bad_alloc();
    textio::Result<levelset::CleanResult> cleaned;
    {
        py::gil_scoped_release unlocked;
        const levelset::CleanOptions options{threshold, count, true};
        try {
            cleaned = levelset::clean_mesh(std::move(copy), grid.grid, options);
        } catch (const std::bad_alloc&) {
            cleaned.error = textio::file_error({}, "cannot allocate memory");
        }
    }
    raise_if(cleaned.error);
    CleanResult result;
    result.report = report_of(cleaned.value, threshold, mesh, grid);
    result.nodes_read = cleaned.value.nodes_read;
    result.node_map = std::move(cleaned.value.node_map);
    result.level_set = std::move(cleaned.value.level_set);
    Mesh kept;
    kept.mesh = std::move(cleaned.value.mesh);
    result.mesh = py::cast(std::move(kept));
    return result;
}

}  // namespace

void bind_clean(py::module_& module) {
    py::class_<CleanResult>(module, "CleanResult", "What clean() returns.")
        .def_readonly("mesh", &CleanResult::mesh, "The cleaned mesh.")
        .def_property_readonly(
            "node_map",
            [](const py::object& self) {
                const CleanResult& result = self.cast<const CleanResult&>();
                return vector_view(result.node_map.get(), result.nodes_read, self, false);
            },
            "int32 (N,): each input node's zero-based index in the cleaned mesh, or -1.")
        .def_property_readonly(
            "level_set",
            [](const py::object& self) {
                const CleanResult& result = self.cast<const CleanResult&>();
                const std::int32_t kept = result.mesh.cast<const Mesh&>().mesh.node_count();
                return vector_view(result.level_set.get(), kept, self, false);
            },
            "float32 (M,): the level-set value sampled at each kept node (800 outside the grid).")
        .def_readonly("report", &CleanResult::report,
                      "The counts, under the keys of tetclean's --report: nodes_read, nodes_kept, "
                      "nodes_outside_grid, tetrahedra_read, tetrahedra_kept, threshold, regions "
                      "([{region, read, kept}]), the input files (None for arrays), version.");

    module.def("clean", &clean, py::arg("mesh"), py::arg("level_set"), py::kw_only(),
               py::arg("threshold") = levelset::near_surface_threshold,
               py::arg("threads") = py::none(),
               R"(Clean a mesh against a level-set grid, as tetclean does.

Drops the region-0 tetrahedra with no node whose level-set value lies below
threshold, then the nodes no kept tetrahedron uses, and renumbers. The mesh
passed in is left as it is. threads=None uses the machine's cores.)");
}

}  // namespace levelset_prep::python
