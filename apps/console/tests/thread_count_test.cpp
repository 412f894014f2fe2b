// SPDX-License-Identifier: MIT
#include "thread_count.hpp"

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

using namespace levelset_prep::console;

// The count from the option (the last one given), else the variable (an
// empty one is not set), else the machine; never above what the program uses.
TEST(ThreadCount, OptionThenVariableThenMachine) {
    using Source = ThreadCount::Source;
    struct Case {
        std::vector<std::string> options;  // values of --threads, in order
        const char* variable;
        unsigned hardware;
        int threads;
        Source source;
        bool ok;
    };
    // clang-format off
    const Case cases[] = {
        {{}, nullptr, 2, 2, Source::machine, true},
        {{}, nullptr, 64, 4, Source::machine, true},
        {{}, nullptr, 0, 1, Source::machine, true},  // unknown: one thread
        {{}, "", 2, 2, Source::machine, true},
        {{}, "1", 2, 1, Source::variable, true},
        {{}, "3", 2, 3, Source::variable, true},
        {{}, "99", 2, 4, Source::variable, true},
        {{}, "0", 2, 1, Source::variable, false},
        {{}, "2x", 2, 1, Source::variable, false},
        {{"1"}, "3", 2, 1, Source::option, true},
        {{"2"}, "bad", 8, 2, Source::option, true},
        {{"3", "1"}, nullptr, 8, 1, Source::option, true},
        {{"-1"}, "2", 8, 1, Source::option, false},
        {{"99999999999"}, nullptr, 8, 1, Source::option, false},
    };
    // clang-format on
    for (const Case& c : cases) {
        CommandLine line;
        for (const std::string& value : c.options)
            line.options.emplace_back(&threads_option, value);
        const ThreadCount count = choose_threads(line, c.variable, c.hardware, 4);
        const std::string trace = (c.options.empty() ? "-" : c.options.back()) + " / " +
                                  (c.variable ? c.variable : "unset") + " / " +
                                  std::to_string(c.hardware);
        EXPECT_EQ(count.threads, c.threads) << trace;
        EXPECT_EQ(count.source, c.source) << trace;
        EXPECT_EQ(count.ok(), c.ok) << trace;
    }
}

}  // namespace
