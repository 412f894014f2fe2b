// SPDX-License-Identifier: MIT
#include "text_outputs.hpp"

#include <cmath>
#include <filesystem>
#include <limits>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "test_files.hpp"

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

// The image formatted in slices on several threads is the one-thread text,
// byte for byte: sizes below, at and around slice multiples, and more
// threads than slices.
TEST(TextOutputs, SlicedImageIsTheOneThreadText) {
    testing_support::TempDir dir;
    const std::int16_t sizes[][3] = {
        {0, 5, 5}, {7, 3, 1}, {256, 256, 1}, {257, 256, 2}, {131, 67, 17}};
    for (const auto& size : sizes) {
        analyze_image image;
        image.header.dim[1] = size[0];
        image.header.dim[2] = size[1];
        image.header.dim[3] = size[2];
        const std::int64_t n = voxel_count(image.header);
        image.data.reset(new float[static_cast<std::size_t>(n)]);
        std::string expected;
        for (std::int64_t i = 0; i < n; ++i) {
            // Widths from one to eleven characters, so slices differ in length.
            const float value =
                i % 97 == 0 ? std::nanf("") : static_cast<float>((i * 7919) % 4000037) - 2000000.5f;
            image.data[static_cast<std::size_t>(i)] = value;
            expected += std::to_string(ascii_value(value)) + " ";
        }
        const std::int64_t nans = n == 0 ? 0 : (n - 1) / 97 + 1;
        for (int threads : {1, 2, 3, 4, 9}) {
            SCOPED_TRACE(std::to_string(n) + " voxels, " + std::to_string(threads) + " threads");
            textio::OutputFile out;
            ASSERT_FALSE(out.open((dir / "image.txt").string()));
            const AsciiImageCounts counts = put_ascii_image(out, image, threads);
            ASSERT_FALSE(out.finish());
            ASSERT_FALSE(out.commit());
            EXPECT_TRUE(testing_support::read_file(dir / "image.txt") == expected);
            EXPECT_EQ(counts.unwritable, nans);
        }
    }
}

// The counts of the values formatted, whatever the thread count: 2^16
// values a slice, so that 200000 copies of a value span several slices.
TEST(TextOutputs, ImageCounts) {
    const float nan = std::nanf("");
    const struct {
        const char* what;
        std::vector<float> values;  // repeated `copies` times
        std::int64_t copies, unwritable, from_32768;
    } cases[] = {
        {"small values", {0.0f, -5.5f, 32767.9f, -40000.0f}, 1, 0, 0},
        {"16-bit values from 32768", {32768.0f, 65535.0f, 1.0f}, 1, 0, 2},
        {"what no 32-bit integer holds", {nan, INFINITY, -INFINITY, 3e9f, -3e9f}, 1, 5, 2},
        {"the 32-bit ends", {-2147483648.0f, 2147483520.0f, 2147483648.0f}, 1, 1, 2},
        {"over several slices", {nan, 40000.0f, 7.0f, -1.0f}, 200000, 1, 1},
    };
    testing_support::TempDir dir;
    for (const auto& c : cases) {
        const auto n = static_cast<std::int64_t>(c.values.size()) * c.copies;
        analyze_image image;
        image.header.dim[1] = static_cast<std::int16_t>(c.values.size());
        image.header.dim[2] = static_cast<std::int16_t>(c.copies % 1000 == 0 ? 1000 : 1);
        image.header.dim[3] = static_cast<std::int16_t>(c.copies / image.header.dim[2]);
        image.data.reset(new float[static_cast<std::size_t>(n)]);
        for (std::int64_t i = 0; i < n; ++i) {
            image.data[static_cast<std::size_t>(i)] =
                c.values[static_cast<std::size_t>(i) % c.values.size()];
        }
        // As a reader sets it: the largest value, NaN aside.
        image.max_intensity = -INFINITY;
        for (float value : c.values) image.max_intensity = std::fmax(image.max_intensity, value);
        for (int threads : {1, 2, 4}) {
            SCOPED_TRACE(std::string(c.what) + ", " + std::to_string(threads) + " threads");
            textio::OutputFile out;
            ASSERT_FALSE(out.open((dir / "image.txt").string()));
            const AsciiImageCounts counts = put_ascii_image(out, image, threads);
            ASSERT_FALSE(out.finish());
            EXPECT_EQ(counts.unwritable, c.unwritable * c.copies);
            EXPECT_EQ(counts.from_32768, c.from_32768 * c.copies);
        }
    }
}

// A write that fails while the slices are written is reported once, by
// finish(), however many threads wrote.
TEST(TextOutputs, SlicedImageOnAFullDevice) {
    if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
    analyze_image image;
    image.header.dim[1] = 300;
    image.header.dim[2] = 300;
    image.header.dim[3] = 3;
    image.data.reset(new float[270000]());
    textio::OutputFile out;
    ASSERT_FALSE(out.open("/dev/full"));
    put_ascii_image(out, image, 2);
    const textio::MaybeError problem = out.finish();
    ASSERT_TRUE(problem);
    EXPECT_EQ(problem->message(), "/dev/full: cannot write output file: No space left on device");
}

}  // namespace
