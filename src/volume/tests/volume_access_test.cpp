// SPDX-License-Identifier: MIT
#include <cmath>
#include <vector>

#include <gtest/gtest.h>

#include <levelset_prep/volume/volume_utilities.hpp>

#include "volume_test_images.hpp"

namespace levelset_prep::volume {
namespace {

using test::make_image;
using test::make_mask;

struct Voxel {
    int x, y, z;
};

TEST(VolumeAccess, VoxelsAreStoredWithXFastestThenYThenZ) {
    analyze_image image = make_image(3, 4, 5);
    analyze_byte_image mask = make_mask(3, 4, 5, 0);
    for (int i = 0; i < 60; ++i) {
        image.data[i] = static_cast<float>(i);
        mask.data[i] = static_cast<std::uint8_t>(i);
    }
    for (const Voxel v : {Voxel{0, 0, 0}, {2, 0, 0}, {0, 3, 0}, {0, 0, 4}, {1, 2, 3}, {2, 3, 4}}) {
        const int index = v.x + 3 * (v.y + 4 * v.z);
        EXPECT_EQ(voxel_at(image, v.x, v.y, v.z), static_cast<float>(index));
        EXPECT_EQ(mask_at(mask, v.x, v.y, v.z), index);
        set_voxel_at(image, v.x, v.y, v.z, -1.0f);
        EXPECT_EQ(image.data[index], -1.0f);
    }
}

TEST(VolumeAccess, IndexOfMaxIsTheFirstOfEqualLargest) {
    const float nan = std::nanf("");
    struct Case {
        std::vector<float> values;
        int expected;
    };
    // clang-format off
    const Case cases[] = {
        {{5.0f}, 0},    {{3, 1, 3}, 0},   {{1, 3, 3}, 1},
        {{1, 2, 4}, 2}, {{nan, 1, 2}, 0}, {{-2, -1, -1}, 1},
    };
    // clang-format on
    for (const Case& c : cases)
        EXPECT_EQ(index_of_max(c.values.data(), static_cast<int>(c.values.size())), c.expected);
    std::vector<float> many(128, 1.0f);
    many[127] = 2.0f;
    EXPECT_EQ(index_of_max(many.data(), 128), 127);
}

#ifndef NDEBUG
TEST(VolumeAccessDeathTest, DebugBuildsAssertTheBounds) {
    analyze_image image = make_image(3, 4, 5);
    analyze_byte_image mask = make_mask(3, 4, 5, 0);
    for (const Voxel v :
         {Voxel{-1, 0, 0}, {3, 0, 0}, {0, -1, 0}, {0, 4, 0}, {0, 0, -1}, {0, 0, 5}}) {
        EXPECT_DEATH(voxel_at(image, v.x, v.y, v.z), "");
        EXPECT_DEATH(set_voxel_at(image, v.x, v.y, v.z, 1.0f), "");
        EXPECT_DEATH(mask_at(mask, v.x, v.y, v.z), "");
    }
    image.data.reset();
    EXPECT_DEATH(voxel_at(image, 0, 0, 0), "");
}
#endif

}  // namespace
}  // namespace levelset_prep::volume
