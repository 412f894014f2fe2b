// SPDX-License-Identifier: MIT
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <levelset_prep/levelset/level_set.hpp>

using namespace levelset_prep;

namespace {

using levelset::interpolate_sd;
using mesh::RunParameters;

// Extents 0 0 0: 32 points per axis on every level.
RunParameters small_grid() {
    RunParameters param;
    textio::TokenScanner text(std::string_view("0 0 0"));
    EXPECT_FALSE(param.read_parameters(text, "params"));
    return param;
}

// A grid whose value tells its point: i + 100 j + 10000 k.
std::vector<float> coded_grid(const RunParameters& param) {
    std::vector<float> grid(static_cast<std::size_t>(param.grid1_count), -1.0f);
    for (int k = 0; k < param.grid1_nz; ++k)
        for (int j = 0; j < param.grid1_ny; ++j)
            for (int i = 0; i < param.grid1_nx; ++i)
                grid[i + j * param.grid1_nx + k * param.grid1_nx * param.grid1_ny] =
                    static_cast<float>(i + 100 * j + 10000 * k);
    return grid;
}

TEST(InterpolateSd, SamplesAndBounds) {
    const RunParameters param = small_grid();
    const std::vector<float> grid = coded_grid(param);
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    struct Case {
        const char* what;
        float x, y, z;
        std::int16_t level;
        float expected;
    };
    // clang-format off
    const Case cases[] = {
        {"origin is grid point (3,3,3)", 0, 0, 0, 1, 30303},
        {"x = -1.5 is grid x 0, inside", -1.5f, 0, 0, 1, 30300},
        {"just below -1.5 is outside", std::nextafter(-1.5f, -2.0f), 0, 0, 1, 800},
        {"X = nx-1 is inside", 14, 0, 0, 1, 30331},
        {"just past nx-1 is outside", std::nextafter(14.0f, 15.0f), 0, 0, 1, 800},
        {"z = nz-1 is inside", 0, 0, 14, 1, 310303},
        {"halfway along x is the mean", 0.25f, 0, 0, 1, 30303.5f},
        {"quarter way along y", 0, 0.125f, 0, 1, 30328},
        {"centre of a cell", 0.25f, 0.25f, 0.25f, 1, 35353.5f},
        {"NaN is outside", nan, 0, 0, 1, 800},
        {"infinity is outside", 0, inf, 0, 1, 800},
        {"level 2: c + 9", 0, 0, 0, 2, 90909},
        {"level 2 halfway", 0.5f, 0, 0, 2, 90909.5f},
        {"level 3: c/2 + 12", 0, 0, 0, 3, 121212},
        {"level 3 at -24 is grid point 0", -24, 0, 0, 3, 121200},
        {"level 0 has no grid", 0, 0, 0, 0, 800},
        {"level 4 has no grid", 0, 0, 0, 4, 800},
    };
    // clang-format on
    for (const Case& c : cases) {
        EXPECT_EQ(interpolate_sd(c.x, c.y, c.z, grid.data(), param, c.level), c.expected) << c.what;
    }
}

TEST(InterpolateSd, SumsCornersInDoubleAndRoundsOnce) {
    // At a cell centre every corner weighs 1/8. Next to 2^24 at the first
    // corner, a float sum would drop each 0.25/8 in turn; the double sum
    // keeps all seven until the one rounding at the end.
    const RunParameters param = small_grid();
    std::vector<float> grid(static_cast<std::size_t>(param.grid1_count), 0.0f);
    const int row = param.grid1_nx, plane = param.grid1_nx * param.grid1_ny;
    for (int k = 3; k <= 4; ++k)
        for (int j = 3; j <= 4; ++j)
            for (int i = 3; i <= 4; ++i) grid[i + j * row + k * plane] = 0.25f;
    grid[3 + 3 * row + 3 * plane] = 16777216.0f;
    const float got = interpolate_sd(0.25f, 0.25f, 0.25f, grid.data(), param, 1);
    EXPECT_EQ(got, 2097152.25f);
}

std::string values(int count, const char* tail = "") {
    std::string text;
    for (int v = 0; v < count; ++v) text += std::to_string(v % 7) + ((v % 10 == 9) ? "\n" : " ");
    return text + tail;
}

TEST(ReadLevelSet, FillsTheSampledPoints) {
    const RunParameters param = small_grid();
    const int points = 32 * 32 * 32;
    for (const std::string& text : {values(points), values(points, " 1 2 3 not-a-number")}) {
        std::vector<float> grid(static_cast<std::size_t>(param.grid1_count), -1.0f);
        textio::TokenScanner scanner(text);
        ASSERT_FALSE(levelset::read_level_set(scanner, "ls.txt", grid.data(), param, 1));
        EXPECT_EQ(grid[0], 0.0f);
        EXPECT_EQ(grid[points - 1], static_cast<float>((points - 1) % 7));
        EXPECT_EQ(grid[points], -1.0f);  // past the sampled points: untouched
    }
}

TEST(ReadLevelSet, ShortOrBrokenFilesNameBothCounts) {
    const RunParameters param = small_grid();
    struct Case {
        std::string text;
        const char* message;
    };
    // clang-format off
    const Case cases[] = {
        {values(32767), "ls.txt: holds 32767 values; the grid needs 32768 (32 x 32 x 32)"},
        {values(100, "abc 1 2"), "holds 100 values before 'abc', which is not a number; the grid needs 32768"},
        {"", "holds 0 values; the grid needs 32768"},
    };
    // clang-format on
    for (const Case& c : cases) {
        std::vector<float> grid(static_cast<std::size_t>(param.grid1_count));
        textio::TokenScanner scanner(c.text);
        const auto error = levelset::read_level_set(scanner, "ls.txt", grid.data(), param, 1);
        ASSERT_TRUE(error);
        EXPECT_NE(error->message().find(c.message), std::string::npos) << error->message();
    }
}

}  // namespace
