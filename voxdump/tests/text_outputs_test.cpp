#include "text_outputs.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "test_files.hpp"

namespace {

using namespace voxdump;

TEST(TextOutputs, AsciiValueTruncatesAndMarksWhatDoesNotFit) {
    constexpr std::int32_t marker = std::numeric_limits<std::int32_t>::min();
    const struct {
        float value;
        std::int32_t expected;
    } cases[] = {
        {2.7f, 2},           {-2.7f, -2},
        {-0.5f, 0},          {65535.0f, 65535},
        {2147483520.0f, 2147483520},  // the largest float below 2^31
        {2147483648.0f, marker},      {-2147483648.0f, marker},
        {-2147483904.0f, marker},     {std::nanf(""), marker},
        {INFINITY, marker},           {-INFINITY, marker},
    };
    for (const auto& c : cases) EXPECT_EQ(ascii_value(c.value), c.expected) << c.value;
}

TEST(TextOutputs, SizeAndResolutionLines) {
    testing_support::TempDir dir;
    analyze_header header = make_empty_header();
    header.dim[1] = -3;
    header.dim[2] = 32767;
    header.dim[3] = 1;
    header.pixdim[1] = 0.9375f;
    header.pixdim[2] = 1.0f;
    header.pixdim[3] = 1e-5f;
    common::OutputFile out;
    ASSERT_FALSE(out.open((dir / "t").string()));
    put_size_line(out, header);
    put_resolution_line(out, header);
    ASSERT_FALSE(out.finish());
    ASSERT_FALSE(out.commit());
    EXPECT_EQ(testing_support::read_file(dir / "t"), "-3 32767 1\n0.9375 1 1e-05\n");
}

}  // namespace
