// SPDX-License-Identifier: MIT
// tetclean: removes the region-0 tetrahedra that lie away from the level-set
// surface, drops the nodes no tetrahedron uses any more, renumbers, and
// writes the mesh back in its own layout (the input may also be in TetGen's).
//
//   tetclean [OPTION]... node_file_in ele_file_in node_file_out ele_file_out level_set_file
//            parameters_file
//
// The main reads the command line, calls clean_mesh_files and reports.
#include <cmath>
#include <cstdio>
#include <string>

#include <levelset_prep/levelset/clean_files.hpp>
#include <levelset_prep/textio/error.hpp>
#include <levelset_prep/textio/number_scan.hpp>
#include <levelset_prep/textio/shown_text.hpp>

#include "command_line.hpp"
#include "console.hpp"
#include "program_main.hpp"
#include "run_summary.hpp"
#include "thread_count.hpp"

namespace {

using namespace levelset_prep;
using levelset::CleanFileOptions;

const console::FileArgument file_arguments[] = {
    {"node_file_in", "node file: N 3, then per node: i x y z"},
    {"ele_file_in", "element file: T 4 1, then: i n1 n2 n3 n4 region"},
    {"node_file_out", "cleaned node file (may name node_file_in)"},
    {"ele_file_out", "cleaned element file (may name ele_file_in)"},
    {"level_set_file", "level-set grid values, x fastest, then y, z"},
    {"parameters_file", "parameter file; its first three numbers: grid extents"},
};

constexpr console::Option node_map_option{
    "node-map", 0, "FILE", "write each input node's new number (0: dropped), one a line"};
constexpr console::Option full_precision_option{
    "full-precision", 0, nullptr, "write coordinates in full, not to 6 significant digits"};
constexpr console::Option threshold_option{"threshold", 0, "V",
                                           "near: a node's level-set value below V (default 6)"};
constexpr console::Option layout_option{
    "layout", 0, "LAYOUT", "node file header: plain (N 3, the default) or tetgen (N 3 0 0)"};
constexpr console::Option vtu_option{"vtu", 0, "FILE",
                                     "also write the cleaned mesh as a VTK .vtu file (ParaView)"};
constexpr console::Option report_option{"report", 0, "FILE",
                                        "write the run's counts and names as a JSON object"};
constexpr console::Option summary_option{
    "summary", 0, nullptr, "print a table of what was read, kept and removed, per region"};
constexpr const console::Option* own_options[] = {
    &node_map_option, &full_precision_option, &threshold_option, &layout_option,
    &vtu_option,      &report_option,         &summary_option,   &console::threads_option};

const console::Program program{
    "tetclean",
    "Clean a tetrahedral mesh against a level-set grid: drop the region-0 tetrahedra\n"
    "that lie away from the level-set surface and the nodes no tetrahedron uses any\n"
    "more, renumber, and write the mesh as node and element files (N 3, T 4 1).",
    " node_file_in  ele_file_in  node_file_out  ele_file_out  level_set_file  parameters_file",
    file_arguments,
    own_options,
};

// The element file is read beside the node and level-set files, and the
// outputs are written on two threads: two are all a run can keep busy.
constexpr int most_threads = 2;

int fail(const textio::Error& error) {
    if (error.cannot_open) console::say("Input file opening failed");
    console::print_error("tetclean", error);
    return 1;
}

// The first option value naming a file longer than a file name may be, or null.
const char* overlong_option(const CleanFileOptions& options) {
    if (options.node_map.size() > console::max_file_name) return options.node_map.c_str();
    for (const auto* value : {&options.vtu, &options.report}) {
        if (*value && (*value)->size() > console::max_file_name) return (*value)->c_str();
    }
    return nullptr;
}

int run(char* const* names, const CleanFileOptions& options, bool summary) {
    console::say("started");
    const char* name = console::overlong_argument(names, 6);
    if (name == nullptr) name = overlong_option(options);
    if (name != nullptr) {
        return fail(textio::file_error(textio::shortened_name(name),
                                       "file name is longer than 3999 characters"));
    }
    const levelset::CleanFiles files{names[0], names[1], names[2], names[3], names[4], names[5]};
    const auto cleaned = levelset::clean_mesh_files(files, options, console::say);
    if (!cleaned) return fail(*cleaned.error);
    for (const textio::Error& notice : cleaned.value.notices) {
        console::print_error("tetclean", notice);
    }
    if (summary) {
        std::fputs(tetclean::summary_table(cleaned.value).c_str(), stdout);
        std::fflush(stdout);
    }
    return 0;
}

// The options' values, or false with `problem` set for a --threshold that is
// not a finite float or a --layout other than plain and tetgen.
bool read_options(const console::CommandLine& line, CleanFileOptions& options,
                  std::string& problem) {
    if (const std::string* map = line.value(node_map_option)) options.node_map = *map;
    if (const std::string* vtu = line.value(vtu_option)) options.vtu = *vtu;
    if (const std::string* report = line.value(report_option)) options.report = *report;
    const std::string* layout = line.value(layout_option);
    if (layout != nullptr && *layout == "tetgen") options.layout = mesh::Layout::tetgen;
    options.full_precision = line.has(full_precision_option);
    for (const auto& [option, value] : line.options) {
        if (option != &threshold_option) continue;
        float threshold = 0;
        if (textio::scan_number(value, threshold) != textio::ScanStatus::ok ||
            !std::isfinite(threshold)) {
            problem =
                "option '--threshold' takes a finite number, not " + textio::shown_token(value);
            return false;
        }
        options.threshold = threshold;
    }
    if (layout == nullptr || *layout == "plain" || *layout == "tetgen") return true;
    problem = "option '--layout' takes plain or tetgen, not '" + *layout + "'";
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    CleanFileOptions options;  // the check fills them in, the run reads them
    const console::ProgramMain steps{
        .program = program,
        .file_count = 6,
        .most_threads = most_threads,
        .first_line = nullptr,
        .check_options = [&options](
                             const console::CommandLine& line,
                             std::string& problem) { return read_options(line, options, problem); },
        .run =
            [&options](const console::CommandLine& line, int threads) {
                options.threads = threads;
                return run(line.files.data(), options, line.has(summary_option));
            },
    };
    return console::run_program(argc, argv, steps);
}
