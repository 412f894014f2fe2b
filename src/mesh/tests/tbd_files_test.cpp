// SPDX-License-Identifier: MIT
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <levelset_prep/mesh/tbd_files.hpp>

#include "test_files.hpp"

using namespace levelset_prep;

namespace {

using mesh::RunParameters;
using testing_support::read_file;
using testing_support::TempDir;
using testing_support::write_file;

TEST(ReadTbdSize, TakesTheLeadingCountOnly) {
    TempDir dir;
    write_file(dir / "a.tbd", "7 this is never read");
    RunParameters param;
    for (const std::int16_t level : {std::int16_t{1}, std::int16_t{2}, std::int16_t{3}}) {
        ASSERT_FALSE(mesh::read_tbd_size((dir / "a.tbd").string(), param, level));
        EXPECT_EQ(param.tbd_size[level], 7);
    }
}

TEST(ReadNodeTbdFile, ReadsTheRecordsCountNotTheFiles) {
    TempDir dir;
    write_file(dir / "a.tbd", "99\n1 5 9\n2 6 10\n3 7 11\n");
    struct Case {
        std::int32_t count;
        std::vector<std::int32_t> first, second;
    };
    // clang-format off
    const Case cases[] = {
        {2, {4, 5, -7}, {8, 9, -7}},
        {0, {-7, -7, -7}, {-7, -7, -7}},  // arrays untouched
        {3, {4, 5, 6}, {8, 9, 10}},
    };
    // clang-format on
    for (const Case& c : cases) {
        RunParameters param;
        param.tbd_size[2] = c.count;
        std::vector<std::int32_t> first(3, -7), second(3, -7);
        ASSERT_FALSE(mesh::read_node_tbd_file((dir / "a.tbd").string(), first.data(), second.data(),
                                              2, param));
        EXPECT_EQ(first, c.first) << c.count;
        EXPECT_EQ(second, c.second) << c.count;
    }
}

TEST(NodeTbdFiles, FaultsAreReported) {
    TempDir dir;
    struct Case {
        const char* text;  // nullptr: no file
        const char* message;
    };
    // clang-format off
    const Case cases[] = {
        {nullptr, "cannot open node tbd file"},
        {"2\n1 5 9\n2 6", "file ends in tbd record 2, before its second reference"},
        {"2\n1 5 9\n2 x 10", "tbd record 2: first reference 'x' is not a whole number"},
        {"2\n1 5 9\n2 -2147483648 10", "tbd record 2: reference -2147483648 is out of range"},
        {"", "file ends before the tbd count"},
    };
    // clang-format on
    for (const Case& c : cases) {
        const std::string path = (dir / "f.tbd").string();
        std::filesystem::remove(path);
        if (c.text) write_file(path, c.text);
        RunParameters param;
        param.tbd_size[1] = 2;
        std::vector<std::int32_t> first(2), second(2);
        const auto error = mesh::read_node_tbd_file(path, first.data(), second.data(), 1, param);
        ASSERT_TRUE(error) << c.message;
        EXPECT_NE(error->message().find(path + ": "), std::string::npos) << error->message();
        EXPECT_NE(error->message().find(c.message), std::string::npos) << error->message();
    }
    RunParameters param;
    EXPECT_TRUE(mesh::read_tbd_size((dir / "none.tbd").string(), param, 1)->cannot_open);
    EXPECT_TRUE(mesh::read_tbd_size((dir / "none.tbd").string(), param, 4));
}

TEST(WriteNodeTbdFile, NumbersFromTheNextLevelsCountAndTakesMarksThere) {
    TempDir dir;
    const std::string path = (dir / "out.tbd").string();
    RunParameters param;
    param.tbd_size_out[1] = 2;
    param.nodes_number_out[2] = 10;  // base for level 1
    const std::vector<std::int32_t> first = {0, 2147483647}, second = {3, -1};
    std::vector<std::int16_t> marks(12, 5);
    marks[10] = -1;
    ASSERT_FALSE(
        mesh::write_node_tbd_file(first.data(), second.data(), path, 1, marks.data(), param));
    EXPECT_EQ(read_file(path), "2\n11 1 4 -1\n12 2147483648 0 5\n");

    param.tbd_size_out[3] = 0;
    ASSERT_FALSE(
        mesh::write_node_tbd_file(first.data(), second.data(), path, 3, marks.data(), param));
    EXPECT_EQ(read_file(path), "0\n");
}

TEST(WriteNodeTbdFile, UnwritableTargetIsAnError) {
    TempDir dir;
    RunParameters param;
    const auto error = mesh::write_node_tbd_file(nullptr, nullptr, (dir / "no" / "x.tbd").string(),
                                                 1, nullptr, param);
    ASSERT_TRUE(error);
    EXPECT_NE(error->message().find("cannot create output file"), std::string::npos);
}

}  // namespace
