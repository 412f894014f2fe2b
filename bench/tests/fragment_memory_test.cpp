// SPDX-License-Identifier: MIT
// Runs the built fragment_memory: the same arguments leave the same file,
// and a wrong command line fails with a message before touching anything.
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "test_files.hpp"

namespace {

namespace fs = std::filesystem;
using testing_support::run_program;
using testing_support::TempDir;

const std::string program = FRAGMENT_MEMORY_PATH;

// Pages of the file a run leaves: one 4 KiB chunk per block touched.
std::uintmax_t chunks_left(const TempDir& dir, const std::string& mib) {
    const auto result = run_program(dir.path(), program, {mib, "left.out"});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err, "");
    const std::uintmax_t bytes = fs::file_size(dir / "left.out");
    EXPECT_EQ(bytes % 4096, 0u);
    return bytes / 4096;
}

TEST(FragmentMemory, SameArgumentsLeaveTheSameFile) {
    TempDir dir;
    const std::uintmax_t first = chunks_left(dir, "8");
    EXPECT_EQ(chunks_left(dir, "8"), first);  // rewritten, not appended
    // 8 MiB and a quarter more in blocks of 16 KiB to 1 MiB.
    EXPECT_GE(first, 10u);
    EXPECT_LE(first, 642u);
    EXPECT_GT(chunks_left(dir, "32"), first);
}

TEST(FragmentMemory, WrongCommandLinesFail) {
    const struct {
        std::vector<std::string> args;
        std::string message_start;
    } cases[] = {
        {{}, "usage: "},
        {{"8"}, "usage: "},
        {{"8", "a.out", "b.out"}, "usage: "},
        {{"0", "a.out"}, "usage: "},
        {{"-1", "a.out"}, "usage: "},
        {{"8x", "a.out"}, "usage: "},
        {{"", "a.out"}, "usage: "},
        {{"1048577", "a.out"}, "usage: "},
        {{"8", "missing/a.out"}, "fragment_memory: missing/a.out: cannot create the file: "},
    };
    for (const auto& c : cases) {
        TempDir dir;
        const auto result = run_program(dir.path(), program, c.args);
        const std::string shown = c.args.empty() ? "(none)" : c.args[0];
        EXPECT_EQ(result.status, 1) << shown;
        EXPECT_EQ(result.err.rfind(c.message_start, 0), 0u) << shown << ": " << result.err;
        EXPECT_FALSE(fs::exists(dir / "a.out")) << shown;
    }
}

}  // namespace
