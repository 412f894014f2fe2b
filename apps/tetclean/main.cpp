// SPDX-License-Identifier: MIT
// tetclean: removes the region-0 tetrahedra that lie away from the level-set
// surface, drops the nodes no tetrahedron uses any more, renumbers, and
// writes the mesh back in its own layout (the input may also be in TetGen's).
//
//   tetclean [OPTION]... node_file_in ele_file_in node_file_out ele_file_out level_set_file
//            parameters_file
//
// The main reads the command line, calls clean_mesh_files and reports.
#include <levelset_prep/levelset/clean_files.hpp>
#include <levelset_prep/textio/error.hpp>

#include "command_line.hpp"
#include "console.hpp"
#include "program_main.hpp"
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

const console::Option own_options[] = {
    {"node-map", 0, "FILE", "write each input node's new number (0: dropped), one a line"},
    {"full-precision", 0, nullptr, "write coordinates in full, not to 6 significant digits"},
    console::threads_option,
};
const console::Option& node_map_option = own_options[0];
const console::Option& full_precision_option = own_options[1];

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

int run(char* const* names, const CleanFileOptions& options) {
    console::say("started");
    const char* name = console::overlong_argument(names, 6);
    if (name == nullptr && options.node_map.size() > console::max_file_name) {
        name = options.node_map.c_str();
    }
    if (name != nullptr) {
        return fail(textio::file_error(textio::shortened_name(name),
                                       "file name is longer than 3999 characters"));
    }
    const levelset::CleanFiles files{names[0], names[1], names[2], names[3], names[4], names[5]};
    const auto cleaned = levelset::clean_mesh_files(files, options, console::say);
    if (!cleaned) return fail(*cleaned.error);
    return 0;
}

// The run as the command line asks for it.
int run_command_line(const console::CommandLine& line, int threads) {
    CleanFileOptions options;
    for (const auto& [option, value] : line.options) {
        if (option == &node_map_option) options.node_map = value;
    }
    options.full_precision = line.has(full_precision_option);
    options.threads = threads;
    return run(line.files.data(), options);
}

}  // namespace

int main(int argc, char** argv) {
    const console::ProgramMain steps{
        .program = program,
        .file_count = 6,
        .most_threads = most_threads,
        .first_line = nullptr,
        .check_options = nullptr,
        .run = run_command_line,
    };
    return console::run_program(argc, argv, steps);
}
