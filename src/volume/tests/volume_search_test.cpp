// SPDX-License-Identifier: MIT
#include <vector>

#include <gtest/gtest.h>

#include <levelset_prep/volume/volume_utilities.hpp>

#include "volume_test_images.hpp"

namespace levelset_prep::volume {
namespace {

struct Voxel {
    int x, y, z;
    bool operator==(const Voxel&) const = default;
};

struct Case {
    const char* name;
    std::vector<Voxel> above;  // voxels set to 1 in a 30^3 volume of 0
    Voxel start;
    bool found;
    Voxel expected;
};

// clang-format off
const Case cases[] = {
    {"start itself", {{5, 5, 5}, {5, 5, 6}}, {5, 5, 5}, true, {5, 5, 5}},
    {"nearest wins", {{5, 5, 8}, {5, 7, 5}}, {5, 5, 5}, true, {5, 7, 5}},
    {"x offset -1 before +1", {{6, 5, 5}, {4, 5, 5}}, {5, 5, 5}, true, {4, 5, 5}},
    {"z offset -1 before +1", {{5, 5, 6}, {5, 5, 4}}, {5, 5, 5}, true, {5, 5, 4}},
    {"y before z", {{5, 5, 4}, {5, 4, 5}}, {5, 5, 5}, true, {5, 4, 5}},
    {"x before y", {{5, 4, 5}, {4, 5, 5}}, {5, 5, 5}, true, {4, 5, 5}},
    {"z 0 before x +1", {{6, 5, 5}, {5, 5, 6}}, {5, 5, 5}, true, {5, 5, 6}},
    {"radius 11 reached", {{16, 0, 0}}, {5, 0, 0}, true, {16, 0, 0}},
    {"12 away is outside the cube", {{17, 0, 0}}, {5, 0, 0}, false, {5, 0, 0}},
    {"nothing above", {}, {5, 5, 5}, false, {5, 5, 5}},
};
// clang-format on

TEST(FindNearestAbove, NearestThenEarliestInNeighbourhoodOrder) {
    for (const Case& c : cases) {
        analyze_image image = test::make_image(30, 30, 30);
        for (const Voxel v : c.above) set_voxel_at(image, v.x, v.y, v.z, 1.0f);
        Voxel got{-7, -7, -7};
        EXPECT_EQ(
            find_nearest_above(image, c.start.x, c.start.y, c.start.z, got.x, got.y, got.z, 0.5f),
            c.found)
            << c.name;
        EXPECT_TRUE(got == c.expected) << c.name;
    }
}

TEST(FindNearestAbove, WithANegativeThresholdOutsideVoxelsAreCandidates) {
    const analyze_image image = test::make_image(30, 30, 30, -5.0f);
    Voxel got{};
    EXPECT_TRUE(find_nearest_above(image, 2, 5, 5, got.x, got.y, got.z, -1.0f));
    EXPECT_TRUE(got == (Voxel{-1, 5, 5}));
}

TEST(FindNearestAbove, AStartOutsideTheVolumeIsRefused) {
    const analyze_image image = test::make_image(4, 4, 4, 1.0f);
    for (const Voxel start : {Voxel{-1, 0, 0}, {0, 4, 0}, {0, 0, 2147483647}}) {
        Voxel got{};
        EXPECT_FALSE(
            find_nearest_above(image, start.x, start.y, start.z, got.x, got.y, got.z, 0.0f));
        EXPECT_TRUE(got == start);
    }
}

}  // namespace
}  // namespace levelset_prep::volume
