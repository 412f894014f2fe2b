// SPDX-License-Identifier: MIT
// How many threads a run uses: --threads N, else LEVELSET_PREP_THREADS
// (empty counts as unset, and it is not looked at when the option is
// given), else the hardware threads; at most `most`. 1 runs every step on
// the main thread.
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

// `variable` is null when unset; `hardware` 0 when unknown, taken as 1.
ThreadCount choose_threads(const CommandLine& line, const char* variable, unsigned hardware,
                           int most);

ThreadCount choose_threads(const CommandLine& line, int most);

void print_thread_problem(const Program& program, const ThreadCount& count);

}  // namespace levelset_prep::console
