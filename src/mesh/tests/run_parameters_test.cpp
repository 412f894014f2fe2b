// SPDX-License-Identifier: MIT
#include <string>

#include <gtest/gtest.h>

#include <levelset_prep/mesh/run_parameters.hpp>

using namespace levelset_prep;

namespace {

using mesh::RunParameters;

textio::MaybeError read_text(RunParameters& param, const std::string& text) {
    textio::TokenScanner scanner(text);
    return param.read_parameters(scanner, "params.txt");
}

TEST(RunParameters, ExtentsRoundUpAndDeriveThreeLevels) {
    struct Case {
        const char* text;
        int size[3];
        int grid1[4], grid2[4], grid3[4];  // nx, ny, nz, count
    };
    // clang-format off
    const Case cases[] = {
        {"100 101 8", {100, 104, 8}, {232, 240, 48, 21381120}, {132, 136, 40, 5744640},
         {82, 84, 36, 1983744}},
        {"0 0 0", {0, 0, 0}, {32, 32, 32, 262144}, {32, 32, 32, 262144}, {32, 32, 32, 262144}},
        {"5 6 7", {8, 8, 8}, {48, 48, 48, 884736}, {40, 40, 40, 512000}, {36, 36, 36, 373248}},
        {"1 2 3", {4, 4, 4}, {40, 40, 40, 512000}, {36, 36, 36, 373248}, {34, 34, 34, 314432}},
        // A negative extent stays as it is (remainders carry its sign).
        {"-3 -6 -1", {-3, -6, -1}, {26, 20, 30, 124800}, {30, 26, 32, 199680},
         {32, 30, 32, 245760}},
    };
    // clang-format on
    for (const Case& c : cases) {
        RunParameters param;
        ASSERT_FALSE(read_text(param, c.text)) << c.text;
        EXPECT_EQ(param.size_x, c.size[0]) << c.text;
        EXPECT_EQ(param.size_y, c.size[1]) << c.text;
        EXPECT_EQ(param.size_z, c.size[2]) << c.text;
        const int got1[4] = {param.grid1_nx, param.grid1_ny, param.grid1_nz, param.grid1_count};
        const int got2[4] = {param.grid2_nx, param.grid2_ny, param.grid2_nz, param.grid2_count};
        const int got3[4] = {param.grid3_nx, param.grid3_ny, param.grid3_nz, param.grid3_count};
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(got1[i], c.grid1[i]) << c.text << " level 1 field " << i;
            EXPECT_EQ(got2[i], c.grid2[i]) << c.text << " level 2 field " << i;
            EXPECT_EQ(got3[i], c.grid3[i]) << c.text << " level 3 field " << i;
        }
    }
}

TEST(RunParameters, OnlyTheFirstThreeValuesMatter) {
    // clang-format off
    const char* const texts[] = {
        "12 16 20",
        "12 16 20 0.01 100 1 2 3 4 5 6 7 8 9 10 11",
        "12\n16\n20\n garbage that is never read 1e999",
        "+12 16 20 0.5",
    };
    // clang-format on
    for (const char* text : texts) {
        RunParameters param;
        param.nodes_number[1] = 99;  // every count is cleared
        param.tbd_size_out[2] = 5;
        ASSERT_FALSE(read_text(param, text)) << text;
        EXPECT_EQ(param.grid1_count, 56 * 64 * 72 * 8) << text;
        EXPECT_EQ(param.nodes_number[1], 0);
        EXPECT_EQ(param.tbd_size_out[2], 0);
    }
}

TEST(RunParameters, BadExtentsAreRefusedAndLeaveTheRecord) {
    struct Case {
        const char* text;
        const char* message;
    };
    // clang-format off
    const Case cases[] = {
        {"", "first grid extent is missing"},
        {"10 20", "third grid extent is missing"},
        {"10 1.5 20", "second grid extent '1.5' is not a whole number"},
        {"10 20 abc", "'abc' is not a whole number"},
        {"10 20 99999999999", "'99999999999' is not a whole number"},
        {"-16 0 0", "no points"},
        {"0 0 -100", "no points"},
        {"2000 2000 2000", "too large"},
        {"2147483647 1 1", "too large"},
        {"1000 1000 100", "too large"},
        // Found by fuzz_parameters: a product beyond 64 bits must not wrap
        // into range.
        {"777777777 773777777 50", "too large"},
        {"2147483647 2147483647 2147483647", "too large"},
    };
    // clang-format on
    for (const Case& c : cases) {
        RunParameters param;
        param.size_x = 77;
        const auto error = read_text(param, c.text);
        ASSERT_TRUE(error) << c.text;
        EXPECT_NE(error->message().find("params.txt: "), std::string::npos) << error->message();
        EXPECT_NE(error->message().find(c.message), std::string::npos) << error->message();
        EXPECT_EQ(param.size_x, 77) << c.text;
    }
}

TEST(RunParameters, LargestGridThatFitsIsAccepted) {
    // 2*size + 32 = 640 points per axis: 640^3 * 8 = 2097152000 values.
    RunParameters param;
    ASSERT_FALSE(read_text(param, "304 304 304"));
    EXPECT_EQ(param.grid1_count, 2097152000);
}

TEST(RunParameters, MissingFileCannotBeOpened) {
    RunParameters param;
    const auto error = param.read_parameter_file("/nonexistent/params.txt");
    ASSERT_TRUE(error);
    EXPECT_TRUE(error->cannot_open);
    EXPECT_NE(error->message().find("/nonexistent/params.txt"), std::string::npos);
}

TEST(GridShape, SelectsTheLevel) {
    RunParameters param;
    ASSERT_FALSE(read_text(param, "8 12 16"));
    EXPECT_EQ(mesh::grid_shape(param, 1).points(), 48LL * 56 * 64);
    EXPECT_EQ(mesh::grid_shape(param, 2).points(), 40LL * 44 * 48);
    EXPECT_EQ(mesh::grid_shape(param, 3).points(), 36LL * 38 * 40);
    EXPECT_EQ(mesh::grid_shape(param, 4).points(), 0);
}

}  // namespace
