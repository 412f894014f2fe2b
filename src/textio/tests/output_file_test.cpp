// SPDX-License-Identifier: MIT
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <levelset_prep/textio/output_file.hpp>

using namespace levelset_prep;

namespace {
namespace fs = std::filesystem;

std::string read_all(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

class OutputFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() /
              ("output_file_test_" +
               std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }
    fs::path dir;
};

TEST_F(OutputFileTest, TargetAppearsOnlyOnCommit) {
    const fs::path target = dir / "out.txt";
    textio::OutputFile out;
    ASSERT_FALSE(out.open(target.string()));
    out.put("header ");
    out.put_int(-42);
    out.put(' ');
    out.put_general(123.456789);
    out.put('\n');
    ASSERT_FALSE(out.finish());
    EXPECT_FALSE(fs::exists(target));
    ASSERT_FALSE(out.commit());
    EXPECT_EQ(read_all(target), "header -42 123.457\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator{}), 1);
}

// Blocks that fit the buffer are copied into it, larger ones are written
// from where they lie after it: either way the bytes come out in order.
TEST_F(OutputFileTest, BlocksAndSmallPiecesKeepTheirOrder) {
    const std::size_t mib = std::size_t{1} << 20;
    const std::vector<std::size_t> sizes[] = {
        {10, mib - 5, 3, 2 * mib, 1, mib, mib + 1},
        {mib, mib},
        {0, 7},
    };
    for (const auto& blocks : sizes) {
        const fs::path target = dir / "blocks.txt";
        textio::OutputFile out;
        ASSERT_FALSE(out.open(target.string()));
        std::string expected;
        for (std::size_t k = 0; k < blocks.size(); ++k) {
            const std::string block(blocks[k], static_cast<char>('a' + k));
            out.put('|');
            out.put_block(block);
            expected += '|' + block;
        }
        ASSERT_FALSE(out.finish());
        ASSERT_FALSE(out.commit());
        EXPECT_TRUE(read_all(target) == expected) << blocks.size();
    }
}

TEST_F(OutputFileTest, AbandonedFileLeavesTargetUntouched) {
    const fs::path target = dir / "keep.txt";
    std::ofstream(target) << "old";
    {
        textio::OutputFile out;
        ASSERT_FALSE(out.open(target.string()));
        out.put(std::string(3 << 20, 'x'));  // more than one buffer
    }
    EXPECT_EQ(read_all(target), "old");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator{}), 1);
}

TEST_F(OutputFileTest, MissingFolderIsReportedWithTheTargetName) {
    const std::string target = (dir / "no" / "such" / "out.txt").string();
    textio::OutputFile out;
    const auto error = out.open(target);
    ASSERT_TRUE(error);
    EXPECT_NE(error->message().find(target), std::string::npos);
    EXPECT_NE(error->message().find("No such file"), std::string::npos);
    EXPECT_EQ(error->saved_errno, ENOENT);
}

TEST_F(OutputFileTest, FullDeviceIsAFailedWrite) {
    if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
    textio::OutputFile out;
    ASSERT_FALSE(out.open("/dev/full"));
    out.put("some bytes\n");
    const auto error = out.finish();
    ASSERT_TRUE(error);
    EXPECT_EQ(error->message(),
              "/dev/full: cannot write output file: " + std::string(std::strerror(ENOSPC)));
    EXPECT_EQ(error->saved_errno, ENOSPC);
}

TEST_F(OutputFileTest, LinkedTargetReplacesTheFileNotTheLink) {
    const fs::path real = dir / "real.txt";
    const fs::path link = dir / "link.txt";
    std::ofstream(real) << "old";
    fs::create_symlink(real, link);
    textio::OutputFile out;
    ASSERT_FALSE(out.open(link.string()));
    out.put("new");
    ASSERT_FALSE(out.finish());
    ASSERT_FALSE(out.commit());
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(read_all(real), "new");
}

}  // namespace
