// SPDX-License-Identifier: MIT
#include <exception>
#include <filesystem>
#include <new>

#include <levelset_prep/levelset/clean_files.hpp>
#include <levelset_prep/levelset/level_set_grid.hpp>
#include <levelset_prep/mesh/mesh_files.hpp>
#include <levelset_prep/mesh/mesh_reading.hpp>
#include <levelset_prep/textio/large_array.hpp>
#include <levelset_prep/textio/output_set.hpp>

#include "removal.hpp"

namespace levelset_prep::levelset {
namespace {

constexpr std::int16_t level = 1;
using Progress = std::function<void(const char*)>;
using mesh::naming_memory;

void say(const Progress& progress, const char* line) {
    if (progress) progress(line);
}

// An output of a run: the argument that names it, and its text once the
// mesh is clean. A new output format is one more entry in run_outputs.
struct RunOutput {
    textio::NamedOutput name;
    std::function<textio::TextSlices(const CleanResult&)> text;
};

std::vector<RunOutput> run_outputs(const CleanFiles& files, const CleanFileOptions& options) {
    std::vector<RunOutput> outputs = {
        {{"node_file_out", files.node_out},
         [&](const CleanResult& cleaned) {
             return mesh::node_file_text(cleaned.mesh, options.full_precision);
         }},
        {{"ele_file_out", files.ele_out},
         [](const CleanResult& cleaned) { return mesh::element_file_text(cleaned.mesh); }},
    };
    if (!options.node_map.empty()) {
        outputs.push_back({{"--node-map", options.node_map}, [](const CleanResult& cleaned) {
                               return mesh::node_map_text(cleaned.node_map.get(),
                                                          cleaned.nodes_read);
                           }});
    }
    return outputs;
}

textio::MaybeError check_names(const std::vector<RunOutput>& outputs) {
    std::vector<textio::NamedOutput> names;
    for (const RunOutput& output : outputs) names.push_back(output.name);
    return textio::check_output_names(names);
}

// The level-set grid, read beside the element file where two threads are
// asked for, after it otherwise. A file that is not a regular one (a pipe)
// may wait for a writer: it is opened only once the element file has been
// read. Its allocation failure and errors come after the element file's.
class GridRead {
public:
    GridRead(const CleanFiles& files, const mesh::GridShape& shape, LevelSetGrid& grid)
        : files_(files), shape_(shape), grid_(grid) {}

    void beside(const std::atomic<bool>& stop) {
        allocate();
        std::error_code ec;
        if (problem_ || !std::filesystem::is_regular_file(files_.level_set, ec)) return;
        read_ = true;
        try {
            problem_ = read_level_set_file(files_.level_set, grid_, &stop);
        } catch (...) {
            thrown_ = std::current_exception();
        }
    }
    textio::MaybeError after() {
        return naming_memory(files_.level_set, [&]() -> textio::MaybeError {
            allocate();
            if (thrown_) std::rethrow_exception(thrown_);
            if (!read_ && !problem_) problem_ = read_level_set_file(files_.level_set, grid_);
            return problem_;
        });
    }

private:
    void allocate() {
        if (allocated_) return;
        allocated_ = true;
        if (!grid_.allocate(shape_)) {
            problem_ = textio::file_error(files_.parameters,
                                          "cannot allocate the level-set grid (" +
                                              std::to_string(shape_.points()) + " values)");
        }
    }

    const CleanFiles& files_;
    const mesh::GridShape shape_;
    LevelSetGrid& grid_;
    bool allocated_ = false, read_ = false;
    textio::MaybeError problem_;
    std::exception_ptr thrown_;
};

textio::MaybeError read_inputs(const CleanFiles& files, int threads, const Progress& progress,
                               mesh::TetMesh& mesh, LevelSetGrid& grid) {
    mesh::RunParameters param;
    if (auto problem = naming_memory(files.parameters,
                                     [&] { return param.read_parameter_file(files.parameters); })) {
        return problem;
    }
    GridRead grid_read(files, mesh::grid_shape(param, level), grid);
    const mesh::MeshReadSteps steps{
        progress,
        [&](const std::atomic<bool>& stop) { grid_read.beside(stop); },
        [&] { return grid_read.after(); },
    };
    mesh::MeshLayout layout;
    if (auto error = mesh::read_mesh_files(files.node_in, files.ele_in, threads, param, layout,
                                           mesh, steps)) {
        return error;
    }
    say(progress, "signed dist functions loaded ");
    return std::nullopt;
}

textio::MaybeError clean(const CleanFiles& files, const CleanFileOptions& options,
                         const Progress& progress, const LevelSetGrid& grid, CleanResult& cleaned) {
    // No step of a run reads or writes a tbd file or array.
    say(progress, "nodes tbd loaded");
    const std::int32_t nodes = cleaned.mesh.node_count();
    if (!options.node_map.empty()) {
        cleaned.node_map = textio::allocate_large<std::int32_t>(static_cast<std::size_t>(nodes));
        if (!cleaned.node_map) {
            return textio::file_error(files.node_in, "cannot allocate the node map (" +
                                                         std::to_string(nodes) + " values)");
        }
    }
    const CleanOptions clean_options{options.threshold, options.threads, false};
    auto error = naming_memory(files.node_in, [&] {
        return clean_in_place(
            grid, clean_options, [&] { say(progress, "making cast"); }, cleaned);
    });
    if (error) {
        error->file = files.node_in;  // the working tables are sized by the mesh
        return error;
    }
    say(progress, "removed 0s from nodes and tets");
    return std::nullopt;
}

textio::MaybeError write(const CleanFiles& files, const std::vector<RunOutput>& outputs,
                         int threads, const CleanResult& cleaned) {
    return naming_memory(files.node_out, [&] {
        std::vector<textio::Output> texts;
        for (const RunOutput& output : outputs) {
            texts.push_back({output.name, output.text(cleaned)});
        }
        const std::string inputs[] = {files.node_in, files.ele_in, files.level_set,
                                      files.parameters};
        return textio::write_outputs(texts, inputs, threads);
    });
}

CleanReport report_of(const CleanResult& cleaned) {
    return {cleaned.nodes_read,       cleaned.mesh.node_count(),  cleaned.tets_read,
            cleaned.mesh.tet_count(), cleaned.nodes_outside_grid, cleaned.regions};
}

textio::Result<CleanReport> run(const CleanFiles& files, const CleanFileOptions& options,
                                const Progress& progress) {
    textio::Result<CleanReport> result;
    const std::vector<RunOutput> outputs = run_outputs(files, options);
    if ((result.error = check_names(outputs))) return result;
    CleanResult cleaned;
    {
        LevelSetGrid grid;
        if ((result.error = read_inputs(files, options.threads, progress, cleaned.mesh, grid)) ||
            (result.error = clean(files, options, progress, grid, cleaned))) {
            return result;
        }
        // The writers do not read the grid. Handing it back now lets the
        // system reuse its memory for the output files' pages, which is far
        // cheaper than fresh memory.
    }
    if ((result.error = write(files, outputs, options.threads, cleaned))) return result;
    say(progress, "output nodes and tets");
    result.value = report_of(cleaned);
    return result;
}

}  // namespace

textio::Result<CleanReport> clean_mesh_files(const CleanFiles& files,
                                             const CleanFileOptions& options,
                                             const Progress& progress) {
    try {
        return run(files, options, progress);
    } catch (const std::bad_alloc&) {
        textio::Result<CleanReport> result;
        result.error = textio::file_error(files.node_in, "cannot allocate memory");
        return result;
    }
}

}  // namespace levelset_prep::levelset
