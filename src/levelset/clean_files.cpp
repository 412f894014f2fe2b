// SPDX-License-Identifier: MIT
#include <algorithm>
#include <exception>
#include <filesystem>
#include <memory>
#include <new>

#include <levelset_prep/levelset/clean_files.hpp>
#include <levelset_prep/levelset/clean_report.hpp>
#include <levelset_prep/levelset/level_set_grid.hpp>
#include <levelset_prep/mesh/mesh_files.hpp>
#include <levelset_prep/mesh/mesh_reading.hpp>
#include <levelset_prep/mesh/vtu_file.hpp>
#include <levelset_prep/textio/large_array.hpp>
#include <levelset_prep/textio/number_format.hpp>
#include <levelset_prep/textio/output_set.hpp>

#include "removal.hpp"

namespace levelset_prep::levelset {
namespace {

constexpr std::int16_t level = 1;
using Progress = std::function<void(const char*)>;
using Notices = std::vector<textio::Error>;
using mesh::naming_memory;

void say(const Progress& progress, const char* line) {
    if (progress) progress(line);
}

// What the writers take: the cleaned mesh and, for a .vtu file, each kept
// node's input number.
struct Cleaned {
    CleanResult result;
    std::unique_ptr<std::int32_t[]> input_nodes;
};

// An output of a run: the argument that names it, and its text once the
// mesh is clean. A new output format is one more entry in run_outputs.
struct RunOutput {
    textio::NamedOutput name;
    std::function<textio::TextSlices(const Cleaned&)> text;
};

CleanReport report_of(const CleanResult& cleaned);

// A text held in memory, in slices of at most an output buffer.
textio::TextSlices held_text(std::string text) {
    static constexpr std::size_t bytes = textio::OutputFile::buffer_size;
    auto held = std::make_shared<const std::string>(std::move(text));
    const auto slices =
        static_cast<std::int64_t>(std::max<std::size_t>(1, (held->size() + bytes - 1) / bytes));
    return {slices, bytes, [held](char* out, std::int64_t k) {
                const std::size_t first = static_cast<std::size_t>(k) * bytes;
                const std::size_t count =
                    std::min(bytes, held->size() - std::min(first, held->size()));
                return std::char_traits<char>::copy(out, held->data() + first, count) + count;
            }};
}

void optional_outputs(const CleanFiles& files, const CleanFileOptions& options,
                      std::vector<RunOutput>& outputs) {
    if (!options.node_map.empty()) {
        outputs.push_back({{"--node-map", options.node_map}, [](const Cleaned& cleaned) {
                               return mesh::node_map_text(cleaned.result.node_map.get(),
                                                          cleaned.result.nodes_read);
                           }});
    }
    if (options.vtu) {
        outputs.push_back({{"--vtu", *options.vtu}, [](const Cleaned& cleaned) {
                               return mesh::vtu_file_text(
                                   cleaned.result.mesh,
                                   {cleaned.result.level_set.get(), cleaned.input_nodes.get()});
                           }});
    }
    if (options.report) {
        outputs.push_back({{"--report", *options.report}, [&](const Cleaned& cleaned) {
                               return held_text(clean_report_json(report_of(cleaned.result), files,
                                                                  options.threshold,
                                                                  LEVELSET_PREP_VERSION));
                           }});
    }
}

std::vector<RunOutput> run_outputs(const CleanFiles& files, const CleanFileOptions& options) {
    std::vector<RunOutput> outputs = {
        {{"node_file_out", files.node_out, "node_file_in"},
         [&](const Cleaned& cleaned) {
             return mesh::node_file_text(cleaned.result.mesh, options.full_precision,
                                         options.layout);
         }},
        {{"ele_file_out", files.ele_out, "ele_file_in"},
         [](const Cleaned& cleaned) { return mesh::element_file_text(cleaned.result.mesh); }},
    };
    optional_outputs(files, options, outputs);
    return outputs;
}

textio::MaybeError check_names(const CleanFiles& files, const std::vector<RunOutput>& outputs) {
    std::vector<textio::NamedOutput> names;
    for (const RunOutput& output : outputs) names.push_back(output.name);
    const textio::NamedInput inputs[] = {{"node_file_in", files.node_in},
                                         {"ele_file_in", files.ele_in},
                                         {"level_set_file", files.level_set},
                                         {"parameters_file", files.parameters}};
    if (auto problem = textio::check_output_names(names)) return problem;
    return textio::check_inputs_kept(names, inputs);
}

std::string shown_number(double value) {
    char text[textio::max_number_chars];
    return {text, textio::format_general(text, value)};
}

// The grid spans mesh coordinates -1.5 to (n - 4) / 2 on each axis.
std::string grid_span(const mesh::GridShape& shape) {
    const auto span = [](std::int32_t points) {
        return "from -1.5 to " + shown_number((points - 4) / 2.0);
    };
    if (shape.nx == shape.ny && shape.ny == shape.nz) return "x, y and z " + span(shape.nx);
    return "x " + span(shape.nx) + ", y " + span(shape.ny) + " and z " + span(shape.nz);
}

textio::Error more_values_notice(const std::string& file, const mesh::GridShape& shape) {
    return textio::file_error(
        file, "holds more values than the " + std::to_string(shape.points()) + " the grid needs (" +
                  std::to_string(shape.nx) + " x " + std::to_string(shape.ny) + " x " +
                  std::to_string(shape.nz) +
                  "); the rest is not read: do the parameter file's extents belong to this grid?");
}

// What the clean-up found that the run should hear about.
void notice_clean_up(const CleanFiles& files, const CleanResult& cleaned,
                     const mesh::GridShape& shape, Notices& notices) {
    if (cleaned.nodes_outside_grid > 0) {
        notices.push_back(textio::file_error(
            files.node_in, std::to_string(cleaned.nodes_outside_grid) + " of " +
                               std::to_string(cleaned.nodes_read) +
                               " nodes lie outside the level-set grid (" + grid_span(shape) +
                               "); they read as 800 and are never near"));
    }
    const auto& regions = cleaned.regions;
    const bool has_zero = std::any_of(regions.begin(), regions.end(),
                                      [](const RegionCount& r) { return r.region == 0; });
    if (!regions.empty() && !has_zero) {
        const std::string first = std::to_string(regions.front().region);
        const std::string last = std::to_string(regions.back().region);
        notices.push_back(textio::file_error(
            files.ele_in,
            "no tetrahedron has region 0, so none was removed (" +
                (regions.size() == 1 ? "region " + first : "regions " + first + " to " + last) +
                ")"));
    }
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
            problem_ = read_level_set_file(files_.level_set, grid_, &stop, &notes_);
        } catch (...) {
            thrown_ = std::current_exception();
        }
    }
    textio::MaybeError after() {
        return naming_memory(files_.level_set, [&]() -> textio::MaybeError {
            allocate();
            if (thrown_) std::rethrow_exception(thrown_);
            if (!read_ && !problem_) {
                problem_ = read_level_set_file(files_.level_set, grid_, nullptr, &notes_);
            }
            return problem_;
        });
    }
    const LevelSetFileNotes& notes() const { return notes_; }

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
    LevelSetFileNotes notes_;
};

textio::MaybeError read_inputs(const CleanFiles& files, int threads, const Progress& progress,
                               Notices& notices, mesh::TetMesh& mesh, LevelSetGrid& grid) {
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
    if (grid_read.notes().more_values) {
        notices.push_back(more_values_notice(files.level_set, grid.shape));
    }
    if (!grid_read.notes().geometry.empty()) {
        notices.push_back(textio::file_error(files.level_set, grid_read.notes().geometry));
    }
    return std::nullopt;
}

textio::MaybeError clean(const CleanFiles& files, const CleanFileOptions& options,
                         const Progress& progress, const LevelSetGrid& grid, Cleaned& run) {
    CleanResult& cleaned = run.result;
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
    // Only a .vtu file holds the level set.
    const CleanOptions clean_options{options.threshold, options.threads, options.vtu.has_value()};
    auto error = naming_memory(files.node_in, [&] {
        return clean_in_place(
            grid, clean_options, [&] { say(progress, "making cast"); }, cleaned);
    });
    if (error) {
        error->file = files.node_in;  // the working tables are sized by the mesh
        return error;
    }
    if (options.vtu) {
        const std::int32_t kept = cleaned.mesh.node_count();
        run.input_nodes = input_node_numbers(cleaned.node_map.get(), nodes, kept);
        if (!run.input_nodes) {
            return textio::file_error(files.node_in, "cannot allocate the input node numbers (" +
                                                         std::to_string(kept) + " values)");
        }
    }
    say(progress, "removed 0s from nodes and tets");
    return std::nullopt;
}

textio::MaybeError write(const CleanFiles& files, const std::vector<RunOutput>& outputs,
                         int threads, const Cleaned& cleaned) {
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
    CleanReport report;
    report.nodes_read = cleaned.nodes_read;
    report.nodes_kept = cleaned.mesh.node_count();
    report.tets_read = cleaned.tets_read;
    report.tets_kept = cleaned.mesh.tet_count();
    report.nodes_outside_grid = cleaned.nodes_outside_grid;
    report.regions = cleaned.regions;
    return report;
}

textio::Result<CleanReport> run(const CleanFiles& files, const CleanFileOptions& options,
                                const Progress& progress) {
    Notices notices;
    textio::Result<CleanReport> result;
    const std::vector<RunOutput> outputs = run_outputs(files, options);
    if ((result.error = check_names(files, outputs))) return result;
    Cleaned cleaned;
    {
        LevelSetGrid grid;
        if ((result.error = read_inputs(files, options.threads, progress, notices,
                                        cleaned.result.mesh, grid)) ||
            (result.error = clean(files, options, progress, grid, cleaned))) {
            return result;
        }
        notice_clean_up(files, cleaned.result, grid.shape, notices);
        // The writers do not read the grid. Handing it back now lets the
        // system reuse its memory for the output files' pages, which is far
        // cheaper than fresh memory.
    }
    if ((result.error = write(files, outputs, options.threads, cleaned))) return result;
    say(progress, "output nodes and tets");
    result.value = report_of(cleaned.result);
    result.value.notices = std::move(notices);
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
