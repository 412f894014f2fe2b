// tetclean: removes the region-0 tetrahedra that lie away from the level-set
// surface, drops the nodes no tetrahedron uses any more, renumbers, and
// writes the mesh back in the layout it was read in.
//
//   tetclean node_file_in ele_file_in node_file_out ele_file_out level_set_file parameters_file
//
// The main checks its arguments and reports; clean_mesh_files sequences the
// steps, and the work is in the modules. A run uses mesh level 1 only.
#include <cstdio>
#include <cstring>
#include <string>

#include "clean_run.hpp"
#include "error.hpp"

#ifndef TETCLEAN_VERSION
#define TETCLEAN_VERSION "unknown"
#endif

namespace {

using namespace tetclean;

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

int run(char** argv) {
    say("started");
    for (int i = 1; i <= 6; ++i) {
        if (std::strlen(argv[i]) > max_file_name) {
            return fail(common::file_error(common::shortened_name(argv[i]),
                                           "file name is longer than 3999 characters"));
        }
    }
    const CleanRunFiles files{argv[1], argv[2], argv[3], argv[4], argv[5], argv[6]};
    if (auto problem = clean_mesh_files(files, say)) return fail(*problem);
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
