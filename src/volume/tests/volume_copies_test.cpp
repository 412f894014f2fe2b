// SPDX-License-Identifier: MIT
#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include <gtest/gtest.h>

#include <levelset_prep/volume/volume_utilities.hpp>

#include "volume_test_images.hpp"

namespace levelset_prep::volume {
namespace {

using test::make_image;
using test::make_mask;
using test::random_image;
using test::same_bytes;
using test::samples;

TEST(VolumeCopies, CopyImageReplacesHeaderAndSamplesButNotIntensities) {
    analyze_image source = random_image(3, 4, 5, 1);
    source.header.pixdim[1] = 0.5f;
    source.min_intensity = -9.0f;
    analyze_image destination = make_image(7, 1, 1, 3.0f);
    destination.min_intensity = 4.0f;
    ASSERT_TRUE(copy_image(source, destination));
    EXPECT_TRUE(same_bytes(destination.header, source.header));
    EXPECT_EQ(samples(destination), samples(source));
    EXPECT_NE(destination.data.get(), source.data.get());
    EXPECT_EQ(destination.min_intensity, 4.0f);
    ASSERT_TRUE(copy_image(destination, destination));  // onto itself
    EXPECT_EQ(samples(destination), samples(source));
}

TEST(VolumeCopies, ByteCopiesAndConversions) {
    analyze_byte_image bytes = make_mask(2, 2, 1, 0);
    const std::uint8_t values[] = {0, 1, 128, 255};
    std::copy(values, values + 4, bytes.data.get());
    bytes.header.bitpix = 8;

    analyze_byte_image copy = make_mask(1, 1, 1, 9);
    ASSERT_TRUE(copy_byte_image(bytes, copy));
    EXPECT_TRUE(same_bytes(copy.header, bytes.header));
    EXPECT_TRUE(std::equal(values, values + 4, copy.data.get()));

    analyze_image floats;
    ASSERT_TRUE(byte_to_float_image(bytes, floats));
    EXPECT_TRUE(same_bytes(floats.header, bytes.header));  // datatype stays 2
    EXPECT_EQ(samples(floats), (std::vector<float>{0.0f, 1.0f, 128.0f, 255.0f}));
}

TEST(VolumeCopies, ZeroImagesTakeTheTemplateHeader) {
    analyze_image model = random_image(2, 3, 4, 2);
    model.header.bitpix = 32;
    analyze_image zeros = make_image(1, 1, 1, 5.0f);
    ASSERT_TRUE(make_zero_image(zeros, model));
    EXPECT_TRUE(same_bytes(zeros.header, model.header));
    EXPECT_EQ(samples(zeros), std::vector<float>(24, 0.0f));

    analyze_byte_image mask = make_mask(1, 1, 1, 7);
    ASSERT_TRUE(make_zero_mask(mask, model));
    EXPECT_EQ(mask.header.datatype, 2);
    EXPECT_EQ(mask.header.bitpix, 32);  // left as it was
    mask.header.datatype = model.header.datatype;
    EXPECT_TRUE(same_bytes(mask.header, model.header));
    EXPECT_EQ(std::count(mask.data.get(), mask.data.get() + 24, 0), 24);
}

TEST(VolumeCopies, ThresholdIsStrictlyGreater) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    struct Case {
        float value, threshold;
        int expected;
    };
    // clang-format off
    const Case cases[] = {
        {1.0f, 1.0f, 0}, {std::nextafter(1.0f, 2.0f), 1.0f, 1},
        {0.5f, 1.0f, 0}, {nan, 0.0f, 0},
        {0.0f, nan, 0},  {-1.0f, -2.0f, 1},
    };
    // clang-format on
    for (const Case& c : cases) {
        analyze_image source = make_image(2, 1, 3, c.value);
        analyze_byte_image mask;
        ASSERT_TRUE(threshold_image(source, mask, c.threshold));
        EXPECT_EQ(mask.header.datatype, 2);
        EXPECT_EQ(mask.header.dim[3], 3);
        EXPECT_EQ(std::count(mask.data.get(), mask.data.get() + 6, c.expected), 6)
            << c.value << " > " << c.threshold;
    }
}

TEST(VolumeCopies, ASourceWithoutSamplesIsRefused) {
    analyze_image empty;
    empty.header = test::header_of(2, 2, 2);
    analyze_image destination = make_image(1, 1, 1, 3.0f);
    analyze_byte_image mask = make_mask(1, 1, 1, 3);
    EXPECT_FALSE(copy_image(empty, destination));
    EXPECT_FALSE(threshold_image(empty, mask, 0.0f));
    analyze_byte_image empty_bytes;
    empty_bytes.header = test::header_of(2, 2, 2);
    EXPECT_FALSE(byte_to_float_image(empty_bytes, destination));
    EXPECT_FALSE(copy_byte_image(empty_bytes, mask));
    EXPECT_EQ(samples(destination), std::vector<float>{3.0f});
    EXPECT_EQ(mask.data[0], 3);
}

TEST(VolumeCopies, ABufferThatCannotBeObtainedLeavesTheDataEmpty) {
    analyze_image huge;  // 32767^3 floats: more than the address space
    huge.header = test::header_of(32767, 32767, 32767);
    analyze_image destination = make_image(1, 1, 1, 3.0f);
    const analyze_header before = destination.header;
    EXPECT_FALSE(make_zero_image(destination, huge));
    EXPECT_EQ(destination.data, nullptr);
    EXPECT_TRUE(same_bytes(destination.header, before));
}

}  // namespace
}  // namespace levelset_prep::volume
