// SPDX-License-Identifier: MIT
#include "clean_run.hpp"

#include <cstdint>
#include <memory>
#include <new>

#include <levelset_prep/levelset/level_set.hpp>
#include <levelset_prep/levelset/zero_removal.hpp>
#include <levelset_prep/mesh/mesh_files.hpp>
#include <levelset_prep/mesh/run_parameters.hpp>
#include <levelset_prep/textio/large_array.hpp>

namespace levelset_prep::tetclean {

using levelset::read_level_set;
using levelset::remove_zeros;
using mesh::read_elements;
using mesh::read_mesh_sizes;
using mesh::read_nodes;
using mesh::RunParameters;
using mesh::write_nodes_and_tets;
namespace {

constexpr std::int16_t level = 1;

// An array the run fills; its pages are not touched until a step writes them.
template <typename T>
std::unique_ptr<T[]> allocate(std::int64_t count, const char* what, const std::string& sized_by,
                              textio::MaybeError& problem) {
    auto array = textio::allocate_large<T>(static_cast<std::size_t>(count));
    if (!array && !problem) {
        problem = textio::file_error(sized_by, "cannot allocate the " + std::string(what) + " (" +
                                                   std::to_string(count) + " values)");
    }
    return array;
}

// The steps of clean_mesh_files. `step_file` follows the file each step
// reads or writes, to name it when memory runs out.
textio::MaybeError run_steps(const CleanRunFiles& files,
                             const std::function<void(const char*)>& progress,
                             const CleanRunOptions& options, const std::string*& step_file) {
    step_file = &files.parameters;
    RunParameters param;
    if (auto problem = param.read_parameter_file(files.parameters)) return problem;
    param.reserved_flag = false;
    step_file = &files.node_in;
    mesh::MeshLayout layout;
    if (auto problem = read_mesh_sizes(files.node_in, files.ele_in, level, param, layout)) {
        return problem;
    }
    const std::int64_t node_count = param.nodes_number[1];
    const std::int64_t tet_count = param.tets_number[1];
    const std::string sizes = "old sizes found: nodes " + std::to_string(param.nodes_number[1]) +
                              " tets " + std::to_string(param.tets_number[1]);
    progress(sizes.c_str());

    textio::MaybeError problem;
    auto nodes_z1 = allocate<double>(3 * node_count, "node array", files.node_in, problem);
    auto nodes_z1_out =
        allocate<double>(3 * node_count, "output node array", files.node_in, problem);
    auto tets_z1 = allocate<std::int32_t>(5 * tet_count, "element array", files.ele_in, problem);
    auto tets_z1_out =
        allocate<std::int32_t>(5 * tet_count, "output element array", files.ele_in, problem);
    // Zero removal renumbers in this table, which the node map is written from.
    std::unique_ptr<std::int32_t[]> new_index;
    if (!options.node_map.empty()) {
        new_index = allocate<std::int32_t>(node_count, "node map", files.node_in, problem);
    }
    if (problem) return problem;

    if (auto error = read_nodes(nodes_z1.get(), files.node_in, level, param, layout.nodes)) {
        return error;
    }
    progress("nodes loaded");
    step_file = &files.ele_in;
    if (auto error = read_elements(tets_z1.get(), files.ele_in, level, param, layout)) {
        return error;
    }
    progress("tets loaded");
    step_file = &files.level_set;

    // The grid holds the points the level-set file gives; the level's count
    // (eight times as many) is the record's, not the grid's.
    auto ls1 = allocate<float>(mesh::grid_shape(param, level).points(), "level-set grid",
                               files.parameters, problem);
    if (problem) return problem;
    if (auto error = read_level_set(files.level_set, ls1.get(), param, level)) return error;
    progress("signed dist functions loaded ");

    // No step of a run reads or writes a tbd file or array.
    progress("nodes tbd loaded");
    step_file = &files.node_in;

    if (auto error = remove_zeros(
            nodes_z1.get(), nodes_z1_out.get(), tets_z1.get(), tets_z1_out.get(), ls1.get(), param,
            [&progress] { progress("making cast"); }, new_index.get())) {
        // Its working tables are sized by the mesh's counts.
        error->file = files.node_in;
        return error;
    }
    progress("removed 0s from nodes and tets");

    // The writer reads only the output arrays. Handing the others back now
    // lets the system reuse their memory for the output files' pages, which
    // is far cheaper than fresh memory.
    nodes_z1.reset();
    tets_z1.reset();
    ls1.reset();

    step_file = &files.node_out;
    const std::string inputs[] = {files.node_in, files.ele_in, files.level_set, files.parameters};
    const mesh::MeshOutputOptions output{options.full_precision, options.node_map, new_index.get()};
    if (auto error = write_nodes_and_tets(nodes_z1_out.get(), tets_z1_out.get(), param, level,
                                          files.node_out, files.ele_out, inputs, output)) {
        return error;
    }
    progress("output nodes and tets");
    return std::nullopt;
}

}  // namespace

textio::MaybeError clean_mesh_files(const CleanRunFiles& files,
                                    const std::function<void(const char*)>& progress,
                                    const CleanRunOptions& options) {
    // The arrays are asked for without throwing and reported by name; this
    // catches the small allocations of every step (names, messages), after
    // the step's files have been closed and removed by their destructors.
    const std::string* step_file = &files.parameters;
    try {
        return run_steps(files, progress, options, step_file);
    } catch (const std::bad_alloc&) {
        return textio::file_error(*step_file, "cannot allocate memory");
    }
}

}  // namespace levelset_prep::tetclean
