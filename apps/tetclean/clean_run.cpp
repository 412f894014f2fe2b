// SPDX-License-Identifier: MIT
#include "clean_run.hpp"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <exception>
#include <filesystem>
#include <memory>
#include <new>
#include <optional>
#include <span>

#include <levelset_prep/levelset/level_set.hpp>
#include <levelset_prep/levelset/zero_removal.hpp>
#include <levelset_prep/mesh/mesh_files.hpp>
#include <levelset_prep/mesh/run_parameters.hpp>
#include <levelset_prep/textio/input_file.hpp>
#include <levelset_prep/textio/large_array.hpp>
#include <levelset_prep/textio/output_file.hpp>
#include <levelset_prep/textio/output_set.hpp>

#include "side_thread.hpp"
#include "sliced_output.hpp"

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
using Progress = std::function<void(const char*)>;

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

// The element and level-set files as read_elements and read_level_set read
// them, abandoned once `stop` is set.
textio::MaybeError read_element_file(std::int32_t* tets, const std::string& ele_file,
                                     const RunParameters& param, const mesh::MeshLayout& layout,
                                     const std::atomic<bool>& stop) {
    return textio::scan_text_file(ele_file, "element file", [&](textio::TokenScanner& text) {
        text.stop_when(stop);
        return read_elements(tets, text, ele_file, level, param, layout);
    });
}
textio::MaybeError read_level_set_file(const std::string& file_name, float* grid,
                                       const RunParameters& param, const std::atomic<bool>& stop) {
    return textio::scan_text_file(file_name, "level-set file", [&](textio::TokenScanner& text) {
        text.stop_when(stop);
        return read_level_set(text, file_name, grid, param, level);
    });
}

// Sets a flag on every way out of a scope.
struct SetOnExit {
    std::atomic<bool>& flag;
    ~SetOnExit() { flag = true; }
};

// The three input files one after another, each step's line once it is done.
// `step_file` follows the file each step reads (see run_steps).
textio::MaybeError load_in_turn(const CleanRunFiles& files, const RunParameters& param,
                                const mesh::MeshLayout& layout, double* nodes, std::int32_t* tets,
                                std::unique_ptr<float[]>& grid, const Progress& progress,
                                const std::string*& step_file) {
    step_file = &files.node_in;
    if (auto error = read_nodes(nodes, files.node_in, level, param, layout.nodes)) return error;
    progress("nodes loaded");
    step_file = &files.ele_in;
    if (auto error = read_elements(tets, files.ele_in, level, param, layout)) return error;
    progress("tets loaded");
    step_file = &files.level_set;

    // The grid holds the points the level-set file gives; the level's count
    // (eight times as many) is the record's, not the grid's.
    textio::MaybeError problem;
    grid = allocate<float>(mesh::grid_shape(param, level).points(), "level-set grid",
                           files.parameters, problem);
    if (problem) return problem;
    if (auto error = read_level_set(files.level_set, grid.get(), param, level)) return error;
    progress("signed dist functions loaded ");
    return std::nullopt;
}

// The same on two threads: the element file on a second one, the node file
// and then the level-set file on this one. Each step's line and error come
// out as load_in_turn gives them: a step's line only once every step before
// it has succeeded, and of several failures the one met first in that
// order. A failure stops the reads that come after it in that order; a
// later read never stops an earlier one, whose error would come first. An
// exception (no memory) surfaces where the one-thread order would meet it,
// with `step_file` naming that step's file.
textio::MaybeError load_side_by_side(const CleanRunFiles& files, const RunParameters& param,
                                     const mesh::MeshLayout& layout, double* nodes,
                                     std::int32_t* tets, std::unique_ptr<float[]>& grid,
                                     const Progress& progress, const std::string*& step_file) {
    std::atomic<bool> stop_elements{false}, stop_level_set{false};
    console::SideThread<textio::MaybeError> elements([&]() -> textio::MaybeError {
        auto error = read_element_file(tets, files.ele_in, param, layout, stop_elements);
        if (error) stop_level_set = true;
        return error;
    });
    const SetOnExit stop_on_exit{stop_elements};  // destroyed before `elements` waits

    step_file = &files.node_in;
    if (auto error = read_nodes(nodes, files.node_in, level, param, layout.nodes)) return error;
    progress("nodes loaded");

    textio::MaybeError grid_problem;
    grid = allocate<float>(mesh::grid_shape(param, level).points(), "level-set grid",
                           files.parameters, grid_problem);
    // A file that is not a regular one (a pipe) may wait for a writer: it is
    // opened only once the element file has been read, as in turn.
    std::error_code ec;
    const bool now = grid && std::filesystem::is_regular_file(files.level_set, ec);
    textio::MaybeError level_set_error;
    std::exception_ptr level_set_thrown;  // surfaces after the element file's outcome
    if (now) {
        try {
            level_set_error =
                read_level_set_file(files.level_set, grid.get(), param, stop_level_set);
        } catch (...) {
            level_set_thrown = std::current_exception();
        }
    }

    step_file = &files.ele_in;
    if (auto error = elements.take()) return error;
    progress("tets loaded");
    step_file = &files.level_set;
    if (grid_problem) return grid_problem;
    if (level_set_thrown) std::rethrow_exception(level_set_thrown);
    if (!now) level_set_error = read_level_set(files.level_set, grid.get(), param, level);
    if (level_set_error) return level_set_error;
    progress("signed dist functions loaded ");
    return std::nullopt;
}

// The output files laid out in slices on `threads` threads
// (sliced_output.hpp), the node file's slices first, then the element
// file's and the node map's, and put in place together. The error is the
// one write_nodes_and_tets meets first, in the order node file, element
// file, node map, whichever came first in time: where a later file cannot
// be opened, the files before it are written alone first, as in turn.
// Nothing when the slices' buffers cannot be had: the caller then writes in
// turn.
std::optional<textio::MaybeError> write_sliced(const double* nodes, const std::int32_t* tets,
                                               const RunParameters& param,
                                               const CleanRunFiles& files,
                                               const mesh::MeshOutputOptions& output,
                                               std::span<const std::string> inputs, int threads) {
    const bool with_map = !output.node_map_file.empty();
    textio::OutputFile outs[3];
    if (auto problem = outs[0].open(files.node_out)) return problem;
    textio::MaybeError not_open = outs[1].open(files.ele_out);
    std::size_t open = not_open ? 1 : 2;
    if (!not_open && with_map) {
        not_open = outs[2].open(output.node_map_file);
        if (!not_open) open = 3;
    }

    // A slice is the records of 4096 nodes or tetrahedra; the first slice
    // of a mesh file begins with its header.
    constexpr std::int64_t records = 4096;
    const std::int64_t node_count = param.nodes_number_out[level];
    const std::int64_t tet_count = param.tets_number_out[level];
    const std::int64_t map_count = param.nodes_number[level];
    auto slices = [](std::int64_t count) {
        return count == 0 ? 1 : (count + records - 1) / records;
    };
    const console::SlicedText texts[] = {
        {&outs[0], slices(node_count),
         [&](char* text, std::int64_t k) {
             if (k == 0) text = mesh::node_header_text(text, param.nodes_number_out[level]);
             return mesh::node_records_text(text, nodes, k * records,
                                            std::min(node_count, (k + 1) * records),
                                            output.full_precision);
         }},
        {&outs[1], slices(tet_count),
         [&](char* text, std::int64_t k) {
             if (k == 0) text = mesh::element_header_text(text, param.tets_number_out[level]);
             return mesh::element_records_text(text, tets, k * records,
                                               std::min(tet_count, (k + 1) * records));
         }},
        {&outs[2], slices(map_count),
         [&](char* text, std::int64_t k) {
             return mesh::node_map_text(text, output.new_index, k * records,
                                        std::min(map_count, (k + 1) * records));
         }},
    };
    const std::size_t slice_bytes =
        records * mesh::record_text_bytes + textio::max_number_chars + 8;
    if (!console::write_in_slices({texts, open}, slice_bytes, threads)) return std::nullopt;
    for (std::size_t f = 0; f < open; ++f) {
        if (auto problem = outs[f].finish()) return problem;
    }
    if (not_open) return not_open;
    textio::OutputFile* const all[] = {&outs[0], &outs[1], &outs[2]};
    return textio::commit_outputs(std::span(all, with_map ? 3 : 2), inputs);
}

// The steps of clean_mesh_files. `step_file` follows the file each step
// reads or writes, to name it when memory runs out.
textio::MaybeError run_steps(const CleanRunFiles& files, const Progress& progress,
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

    // Zero removal moves the survivors to the front of these arrays, and the
    // writer reads them from there: the mesh is held once.
    textio::MaybeError problem;
    auto nodes_z1 = allocate<double>(3 * node_count, "node array", files.node_in, problem);
    auto tets_z1 = allocate<std::int32_t>(5 * tet_count, "element array", files.ele_in, problem);
    // Zero removal renumbers in this table, which the node map is written from.
    std::unique_ptr<std::int32_t[]> new_index;
    if (!options.node_map.empty()) {
        new_index = allocate<std::int32_t>(node_count, "node map", files.node_in, problem);
    }
    if (problem) return problem;

    std::unique_ptr<float[]> ls1;
    if (auto error = options.threads > 1
                         ? load_side_by_side(files, param, layout, nodes_z1.get(), tets_z1.get(),
                                             ls1, progress, step_file)
                         : load_in_turn(files, param, layout, nodes_z1.get(), tets_z1.get(), ls1,
                                        progress, step_file)) {
        return error;
    }

    // No step of a run reads or writes a tbd file or array.
    progress("nodes tbd loaded");
    step_file = &files.node_in;

    if (auto error = remove_zeros(
            nodes_z1.get(), nodes_z1.get(), tets_z1.get(), tets_z1.get(), ls1.get(), param,
            [&progress] { progress("making cast"); }, new_index.get())) {
        // Its working tables are sized by the mesh's counts.
        error->file = files.node_in;
        return error;
    }
    progress("removed 0s from nodes and tets");

    // The writer does not read the grid. Handing it back now lets the system
    // reuse its memory for the output files' pages, which is far cheaper
    // than fresh memory.
    ls1.reset();

    step_file = &files.node_out;
    const std::string inputs[] = {files.node_in, files.ele_in, files.level_set, files.parameters};
    const mesh::MeshOutputOptions output{options.full_precision, options.node_map, new_index.get()};
    std::optional<textio::MaybeError> written;
    if (options.threads > 1) {
        written = write_sliced(nodes_z1.get(), tets_z1.get(), param, files, output, inputs,
                               options.threads);
    }
    if (!written) {
        written = write_nodes_and_tets(nodes_z1.get(), tets_z1.get(), param, level, files.node_out,
                                       files.ele_out, inputs, output);
    }
    if (*written) return *written;
    progress("output nodes and tets");
    return std::nullopt;
}

}  // namespace

textio::MaybeError clean_mesh_files(const CleanRunFiles& files, const Progress& progress,
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
