// SPDX-License-Identifier: MIT
// How many threads a run uses.
//
// --threads N sets the count; without it the environment variable
// LEVELSET_PREP_THREADS does (set but empty counts as not set); without
// either, the machine's hardware threads. The option wins over the variable,
// whose value is then not looked at. N is a whole number, 1 or more; a
// program never uses more threads than its work can keep busy (`most`), so a
// larger N is taken as `most`. 1 runs every step on the main thread, in the
// order the programs always ran them.
#pragma once

#include <string>

#include "command_line.hpp"

namespace levelset_prep::console {

inline constexpr Option threads_option{
    "threads", 0, "N", "use at most N threads (default: the machine's cores; 1: one)"};
inline constexpr const char* threads_variable = "LEVELSET_PREP_THREADS";

struct ThreadCount {
    enum class Source { machine, option, variable } source = Source::machine;
    int threads = 1;      // 1 to `most`
    std::string problem;  // empty, or why the option's or the variable's value was refused

    bool ok() const { return problem.empty(); }
};

// The count from the command line, the variable's value (null when it is not
// set) and the machine's hardware threads (0 when unknown, taken as 1).
ThreadCount choose_threads(const CommandLine& line, const char* variable, unsigned hardware,
                           int most);

// The same with the process's environment and std::thread::hardware_concurrency().
ThreadCount choose_threads(const CommandLine& line, int most);

// A refused count on standard error: for the option, the bad-option lines;
// for the variable, "<name>: LEVELSET_PREP_THREADS: <problem>".
void print_thread_problem(const Program& program, const ThreadCount& count);

}  // namespace levelset_prep::console
