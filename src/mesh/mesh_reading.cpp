// SPDX-License-Identifier: MIT
#include <new>

#include <levelset_prep/mesh/mesh_reading.hpp>
#include <levelset_prep/textio/input_file.hpp>
#include <levelset_prep/textio/side_thread.hpp>

namespace levelset_prep::mesh {
namespace {

constexpr std::int16_t level = 1;

textio::MaybeError allocate_mesh(const std::string& node_file, const std::string& ele_file,
                                 const RunParameters& param, TetMesh& mesh) {
    const char* failed = nullptr;
    const std::int32_t nodes = param.nodes_number[level], tets = param.tets_number[level];
    if (mesh.allocate(nodes, tets, &failed)) return std::nullopt;
    const bool node_array = std::string_view(failed) == "node array";
    const std::int64_t values = node_array ? std::int64_t{TetMesh::node_stride} * nodes
                                           : std::int64_t{TetMesh::tet_stride} * tets;
    return textio::file_error(
        node_array ? node_file : ele_file,
        "cannot allocate the " + std::string(failed) + " (" + std::to_string(values) + " values)");
}

// Sets a flag on every way out of a scope.
struct SetOnExit {
    std::atomic<bool>& flag;
    ~SetOnExit() { flag = true; }
};

// The nodes, the elements and the caller's steps, once the storage is had.
// A failure stops the reads that come after it in the one-thread order; a
// later read never stops an earlier one, whose error would come first.
textio::MaybeError read_records(const std::string& node_file, const std::string& ele_file,
                                int threads, const RunParameters& param, const MeshLayout& layout,
                                TetMesh& mesh, const MeshReadSteps& steps) {
    std::atomic<bool> stop_elements{false}, stop_beside{false};
    textio::SideThread<textio::MaybeError> elements(
        [&]() -> textio::MaybeError {
            auto error = textio::scan_text_file(ele_file, "element file", [&](auto& text) {
                text.stop_when(stop_elements);
                return read_elements(mesh.tet_data(), text, ele_file, level, param, layout);
            });
            if (error) stop_beside = true;
            return error;
        },
        threads > 1);
    const SetOnExit stop_on_exit{stop_elements};  // destroyed before `elements` waits

    if (auto error = naming_memory(node_file, [&] {
            return read_nodes(mesh.node_data(), node_file, level, param, layout.nodes);
        })) {
        return error;
    }
    if (steps.progress) steps.progress("nodes loaded");
    if (threads > 1 && steps.beside_elements) steps.beside_elements(stop_beside);
    if (auto error = naming_memory(ele_file, [&] { return elements.take(); })) return error;
    if (steps.progress) steps.progress("tets loaded");
    return steps.after_elements ? steps.after_elements() : std::nullopt;
}

}  // namespace

textio::MaybeError read_mesh_files(const std::string& node_file, const std::string& ele_file,
                                   int threads, RunParameters& param, MeshLayout& layout,
                                   TetMesh& mesh, const MeshReadSteps& steps) {
    if (auto problem = naming_memory(node_file, [&] {
            return read_mesh_sizes(node_file, ele_file, level, param, layout);
        })) {
        return problem;
    }
    if (steps.progress) {
        const std::string sizes = "old sizes found: nodes " +
                                  std::to_string(param.nodes_number[level]) + " tets " +
                                  std::to_string(param.tets_number[level]);
        steps.progress(sizes.c_str());
    }
    if (auto problem = allocate_mesh(node_file, ele_file, param, mesh)) return problem;
    return read_records(node_file, ele_file, threads, param, layout, mesh, steps);
}

}  // namespace levelset_prep::mesh
