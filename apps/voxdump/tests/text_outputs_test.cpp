// SPDX-License-Identifier: MIT
#include "text_outputs.hpp"

#include <cmath>
#include <limits>

#include <gtest/gtest.h>

namespace {

using namespace levelset_prep;
using namespace levelset_prep::analyze;
using namespace levelset_prep::voxdump;

TEST(TextOutputs, AsciiValueTruncatesAndMarksWhatDoesNotFit) {
    constexpr std::int32_t marker = std::numeric_limits<std::int32_t>::min();
    const struct {
        float value;
        std::int32_t expected;
    } cases[] = {
        {2.7f, 2},
        {-2.7f, -2},
        {-0.5f, 0},
        {65535.0f, 65535},
        {2147483520.0f, 2147483520},  // the largest float below 2^31
        {2147483648.0f, marker},
        {-2147483648.0f, marker},
        {-2147483904.0f, marker},
        {std::nanf(""), marker},
        {INFINITY, marker},
        {-INFINITY, marker},
    };
    for (const auto& c : cases) EXPECT_EQ(ascii_value(c.value), c.expected) << c.value;
}

}  // namespace
