// tetclean: removes the region-0 tetrahedra that lie away from the level-set
// surface, drops the nodes no tetrahedron uses any more, renumbers, and
// writes the mesh back in the layout it was read in.
//
//   tetclean node_file_in ele_file_in node_file_out ele_file_out level_set_file parameters_file
//
// The main checks its arguments and reports; clean_mesh_files sequences the
// steps, and the work is in the modules. A run uses mesh level 1 only.
#include <exception>
#include <new>

#include "clean_run.hpp"
#include "console.hpp"
#include "error.hpp"
#include "last_resort.hpp"
#include "output_target.hpp"

#ifndef TETCLEAN_VERSION
#define TETCLEAN_VERSION "unknown"
#endif

namespace {

using namespace tetclean;

const char* const usage_words =
    " node_file_in  ele_file_in  node_file_out  ele_file_out  level_set_file  parameters_file";

int fail(const common::Error& error) {
    if (error.cannot_open) common::say("Input file opening failed");
    common::print_error("tetclean", error);
    return 1;
}

int run(char** argv) {
    common::say("started");
    if (const char* name = common::overlong_argument(argv, 6)) {
        return fail(common::file_error(common::shortened_name(name),
                                       "file name is longer than 3999 characters"));
    }
    if (auto problem = common::check_output_names({{"node_file_out", argv[3]}, {"ele_file_out", argv[4]}})) {
        return fail(*problem);
    }
    const CleanRunFiles files{argv[1], argv[2], argv[3], argv[4], argv[5], argv[6]};
    if (auto problem = clean_mesh_files(files, common::say)) return fail(*problem);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (common::answer_help_or_version(argc, argv, "tetclean", usage_words, TETCLEAN_VERSION)) {
        return 0;
    }
    if (argc < 7) {
        common::print_missing_parameters(argc > 0 ? argv[0] : "tetclean", usage_words);
        return 1;
    }
    // The safety nets: an exception that escaped the run still ends it with
    // one error line, and unwinding removes its temporary files; one that
    // could not even be thrown ends in std::terminate, which does the same.
    common::guard_against_termination("tetclean", argv[1]);
    try {
        return run(argv);
    } catch (const std::bad_alloc&) {
        common::print_unexpected_failure("tetclean", argv[1], "cannot allocate memory");
    } catch (const std::exception& failure) {
        common::print_unexpected_failure("tetclean", argv[1], failure.what());
    }
    return 1;
}
