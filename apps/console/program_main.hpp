// SPDX-License-Identifier: MIT
// The steps every program's main takes around its run.
//
// run_program() prepares the process (process_setup.hpp), answers --help and
// --version, sets quiet mode, refuses a bad option, works out the thread
// count, checks that enough file names were given, and then runs the
// program behind the safety nets: an exception that escapes the run still
// ends it with one error line and status 1, and unwinding removes its
// temporary files; one that could not even be thrown ends in
// std::terminate, which does the same (last_resort.hpp).
#pragma once
#include <cstddef>
#include <functional>
#include <string>

#include "command_line.hpp"

namespace levelset_prep::console {

struct ProgramMain {
    const Program& program;
    std::size_t file_count;  // file names a run needs
    int most_threads;        // threads its work can keep busy
    // A progress line said before any option is looked at, so that it
    // stands even before the lines of a refused option; null for none.
    const char* first_line = nullptr;
    // Checks the program's own options: false, with `problem` set, refuses
    // the command line as a bad option. Null when every value is taken.
    std::function<bool(const CommandLine& line, std::string& problem)> check_options;
    // The run itself, given the command line and the thread count; returns
    // the exit status.
    std::function<int(const CommandLine& line, int threads)> run;
};

int run_program(int argc, char** argv, const ProgramMain& steps);

}  // namespace levelset_prep::console
