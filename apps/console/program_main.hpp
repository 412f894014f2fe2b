// SPDX-License-Identifier: MIT
// The steps every program's main takes around its run: the process setup,
// --help and --version, the options, the thread count, the file count, and
// the run behind a net that turns any exception into one error line and
// status 1.
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
    // Said before any option is looked at, even a refused one; may be null.
    const char* first_line = nullptr;
    // False, with `problem` set, for a bad value; may be null.
    std::function<bool(const CommandLine& line, std::string& problem)> check_options;
    // Returns the exit status.
    std::function<int(const CommandLine& line, int threads)> run;
};

int run_program(int argc, char** argv, const ProgramMain& steps);

}  // namespace levelset_prep::console
