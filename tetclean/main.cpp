// tetclean: removes the region-0 tetrahedra that lie away from the level-set
// surface, drops the nodes no tetrahedron uses any more, renumbers, and
// writes the mesh back in the layout it was read in.
//
//   tetclean node_file_in ele_file_in node_file_out ele_file_out level_set_file parameters_file
//
// The main only sequences the steps and reports them; the work is in the
// modules. A run uses mesh level 1 only.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "error.hpp"
#include "large_array.hpp"
#include "level_set.hpp"
#include "mesh_files.hpp"
#include "run_parameters.hpp"
#include "zero_removal.hpp"

#ifndef TETCLEAN_VERSION
#define TETCLEAN_VERSION "unknown"
#endif

namespace {

using namespace tetclean;

constexpr std::int16_t level = 1;
constexpr std::size_t max_file_name = 3999;  // the longest name the tools take
const char* const usage_words =
    " node_file_in  ele_file_in  node_file_out  ele_file_out  level_set_file  parameters_file";

// Progress lines are flushed one by one, so a script sees how far a run got.
void say(const char* line) {
    std::fputs(line, stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

int fail(const common::Error& error) {
    if (error.cannot_open) say("Input file opening failed");
    std::fprintf(stderr, "tetclean: %s\n", error.message.c_str());
    return 1;
}

// An array the run fills; its pages are not touched until a step writes them.
template <typename T>
std::unique_ptr<T[]> allocate(std::int64_t count, const char* what, common::MaybeError& problem) {
    auto array = common::allocate_large<T>(static_cast<std::size_t>(count));
    if (!array && !problem) {
        problem = common::Error{"cannot allocate the " + std::string(what) + " (" +
                                std::to_string(count) + " values)"};
    }
    return array;
}

int run(char** argv) {
    say("started");
    for (int i = 1; i <= 6; ++i) {
        if (std::strlen(argv[i]) > max_file_name) {
            return fail(common::file_error(std::string(argv[i], 40) + "...",
                                           "file name is longer than 3999 characters"));
        }
    }
    const std::string node_file_z1 = argv[1];
    const std::string tet_file_z1 = argv[2];
    const std::string node_file_z1_out = argv[3];
    const std::string tet_file_z1_out = argv[4];
    const std::string ls1_file = argv[5];

    RunParameters param;
    if (auto problem = param.read_parameter_file(argv[6])) return fail(*problem);
    param.reserved_flag = false;
    if (auto problem = read_mesh_sizes(node_file_z1, tet_file_z1, level, param)) {
        return fail(*problem);
    }
    const std::int64_t node_count = param.nodes_number[1];
    const std::int64_t tet_count = param.tets_number[1];
    std::printf("old sizes found: nodes %d tets %d\n", param.nodes_number[1], param.tets_number[1]);
    std::fflush(stdout);

    common::MaybeError problem;
    auto nodes_z1 = allocate<double>(3 * node_count, "node array", problem);
    auto nodes_z1_out = allocate<double>(3 * node_count, "output node array", problem);
    auto tets_z1 = allocate<std::int32_t>(5 * tet_count, "element array", problem);
    auto tets_z1_out = allocate<std::int32_t>(5 * tet_count, "output element array", problem);
    if (problem) return fail(*problem);

    if (auto error = read_nodes(nodes_z1.get(), node_file_z1, level, param)) return fail(*error);
    say("nodes loaded");
    if (auto error = read_elements(tets_z1.get(), tet_file_z1, level, param)) return fail(*error);
    say("tets loaded");

    auto ls1 = allocate<float>(param.grid1_count, "level-set grid", problem);
    if (problem) return fail(*problem);
    if (auto error = read_level_set(ls1_file, ls1.get(), param, level)) return fail(*error);
    say("signed dist functions loaded ");

    // Only level 1 is loaded, so level 1 has every node as a tbd node; no
    // step of a run reads or writes a tbd array, so none is built.
    param.tbd_size[2] = param.nodes_number[2] - param.nodes_number[3];
    param.tbd_size[1] = param.nodes_number[1] - param.nodes_number[2];
    say("nodes tbd loaded");

    auto keep_flags = allocate<std::int16_t>(node_count, "node flags", problem);
    if (problem) return fail(*problem);
    if (auto error = remove_zeros(nodes_z1.get(), nodes_z1_out.get(), tets_z1.get(),
                                  tets_z1_out.get(), ls1.get(), keep_flags.get(), param,
                                  [] { say("making cast"); })) {
        return fail(*error);
    }
    say("removed 0s from nodes and tets");

    // The writer reads only the output arrays. Handing the others back now
    // lets the system reuse their memory for the output files' pages, which
    // is far cheaper than fresh memory here.
    nodes_z1.reset();
    tets_z1.reset();
    ls1.reset();
    keep_flags.reset();

    if (auto error = write_nodes_and_tets(nodes_z1_out.get(), tets_z1_out.get(), param, level,
                                          node_file_z1_out, tet_file_z1_out)) {
        return fail(*error);
    }
    say("output nodes and tets");
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const char* program = argc > 0 ? argv[0] : "tetclean";
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::printf("Usage: %s%s\n", program, usage_words);
        return 0;
    }
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("tetclean %s\n", TETCLEAN_VERSION);
        return 0;
    }
    if (argc < 7) {
        std::fprintf(stderr, "Missing Parameters \nUsage: %s%s\n", program, usage_words);
        return 1;
    }
    return run(argv);
}
