// SPDX-License-Identifier: MIT
#include <algorithm>
#include <array>
#include <functional>
#include <vector>

#include <gtest/gtest.h>

#include <levelset_prep/volume/volume_utilities.hpp>

#include "volume_test_images.hpp"

namespace levelset_prep::volume {
namespace {

using test::make_image;
using test::make_mask;
using test::random_image;
using test::samples;

// A side x side plane on two axes, `outer` visited before `inner` (0 = x,
// 1 = y, 2 = z), one voxel thick on the third. An in-place filter must see
// the voxel at (outer 0, inner side-1) already replaced and the one at
// (outer side-1, inner 0) not yet.
struct Plane {
    int outer, inner;
    std::array<int, 3> at(int a, int b) const {
        std::array<int, 3> v{0, 0, 0};
        v[outer] = a;
        v[inner] = b;
        return v;
    }
    analyze_image image(int side) const {
        const auto d = at(side - 1, side - 1);
        return make_image(d[0] + 1, d[1] + 1, d[2] + 1);
    }
};
const Plane planes[] = {{0, 1}, {0, 2}, {1, 2}};

void put(analyze_image& image, std::array<int, 3> v, float value) {
    set_voxel_at(image, v[0], v[1], v[2], value);
}
float get(const analyze_image& image, std::array<int, 3> v) {
    return voxel_at(image, v[0], v[1], v[2]);
}
analyze_byte_image mask_of(const analyze_image& image, std::vector<std::array<int, 3>> selected) {
    analyze_byte_image mask =
        make_mask(image.header.dim[1], image.header.dim[2], image.header.dim[3], 0);
    for (const auto v : selected)
        mask.data[v[0] + image.header.dim[1] * (v[1] + image.header.dim[2] * v[2])] = 255;
    return mask;
}
std::array<int, 3> radii_of(const Plane& p) { return p.at(1, 1); }

TEST(VolumeFilters, VisitXOutermostThenYThenZInPlace) {
    for (const Plane& p : planes) {
        const auto early = p.at(0, 1), late = p.at(1, 0), r = radii_of(p);
        analyze_image smooth = p.image(2);
        std::fill_n(smooth.data.get(), 4, 343.0f);
        analyze_image reference = p.image(2);
        std::fill_n(reference.data.get(), 4, 1.0f);
        put(reference, early, 0.0f);
        put(reference, late, 0.0f);
        // The early voxel sums four 343s; the late one sums three and the early 4.
        ASSERT_TRUE(smooth_below(smooth, reference, 0.5f, 1));
        EXPECT_EQ(get(smooth, early), 4.0f);
        EXPECT_EQ(get(smooth, late), 1033.0f / 343.0f);

        // Early keeps itself and late's 60 (mean 55); late then keeps itself
        // and early's new 55 (mean 57.5).
        analyze_image mean = p.image(2);
        std::fill_n(mean.data.get(), 4, 100.0f);
        put(mean, early, 50.0f);
        put(mean, late, 60.0f);
        ASSERT_TRUE(
            masked_nearest_mean_filter(mean, mask_of(mean, {early, late}), r[0], r[1], r[2], 2));
        EXPECT_EQ(get(mean, early), 55.0f);
        EXPECT_EQ(get(mean, late), 57.5f);

        // Corners become 0 (five of nine box values lie outside); the centre
        // sees the early corner zeroed and the late one still 9.
        analyze_image median = p.image(3);
        const float values[3][3] = {{2, 3, 1}, {4, 5, 6}, {9, 7, 8}};
        for (int a = 0; a < 3; ++a)
            for (int b = 0; b < 3; ++b) put(median, p.at(a, b), values[a][b]);
        const auto mask = mask_of(median, {p.at(0, 2), p.at(1, 1), p.at(2, 0)});
        ASSERT_TRUE(masked_median_filter(median, mask, r[0], r[1], r[2]));
        EXPECT_EQ(get(median, p.at(1, 1)), 5.0f);
        EXPECT_EQ(get(median, p.at(2, 0)), 0.0f);
    }
}

TEST(SmoothBelow, DividesBy343InNeighbourhoodOrder) {
    analyze_image ones = make_image(4, 4, 4, 1.0f);
    ASSERT_TRUE(smooth_below(ones, make_image(4, 4, 4, 0.0f), 0.5f, 1));
    EXPECT_EQ(voxel_at(ones, 0, 0, 0), 64.0f / 343.0f);

    // 2^24 first, then 342 ones, each lost in a float sum taken in order.
    analyze_image image = make_image(7, 7, 7, 1.0f);
    set_voxel_at(image, 0, 0, 0, 16777216.0f);
    analyze_image reference = make_image(7, 7, 7, 0.5f);  // equal is not below
    set_voxel_at(reference, 3, 3, 3, 0.0f);
    ASSERT_TRUE(smooth_below(image, reference, 0.5f, 1));
    EXPECT_EQ(voxel_at(image, 3, 3, 3), 16777216.0f / 343.0f);
    EXPECT_EQ(std::count(image.data.get(), image.data.get() + 343, 1.0f), 341);
}

TEST(MaskedMedianFilter, RadiusZeroKeepsAndRadiusOneTakesThe14thOf27) {
    analyze_image image = random_image(4, 5, 6, 3, 10);
    const std::vector<float> before = samples(image);
    ASSERT_TRUE(masked_median_filter(image, make_mask(4, 5, 6, 1), 0, 0, 0));
    EXPECT_EQ(samples(image), before);

    std::vector<float> box;
    for (int i = 1; i <= 3; ++i)
        for (int j = 1; j <= 3; ++j)
            for (int k = 1; k <= 3; ++k) box.push_back(voxel_at(image, i, j, k));
    std::sort(box.begin(), box.end());
    ASSERT_TRUE(masked_median_filter(image, mask_of(image, {{2, 2, 2}}), 1, 1, 1));
    EXPECT_EQ(voxel_at(image, 2, 2, 2), box[13]);
    set_voxel_at(image, 2, 2, 2, before[2 + 4 * (2 + 5 * 2)]);
    EXPECT_EQ(samples(image), before);  // nothing unmasked changed
}

TEST(MaskedNearestMeanFilter, KeepsTheKNearestWithEarliestTies) {
    for (const std::array<int, 3> r : {std::array{1, 1, 1}, {2, 0, 1}}) {
        analyze_image image = random_image(4, 5, 6, 4);
        const std::vector<float> before = samples(image);
        ASSERT_TRUE(masked_nearest_mean_filter(image, make_mask(4, 5, 6, 9), r[0], r[1], r[2], 1));
        EXPECT_EQ(samples(image), before);
    }
    // 8 and 12 lie equally near 10: the one met first stays.
    analyze_image line = make_image(3, 1, 1);
    std::copy_n(std::array{8.0f, 10.0f, 12.0f}.data(), 3, line.data.get());
    ASSERT_TRUE(masked_nearest_mean_filter(line, mask_of(line, {{1, 0, 0}}), 1, 0, 0, 2));
    EXPECT_EQ(voxel_at(line, 1, 0, 0), 9.0f);
    // Offset (-1, 0) brings 8 before (0, -1) brings 12; the centre then
    // replaces the first of the two equally far kept values, which is 12.
    analyze_image plane = make_image(3, 3, 1, 100.0f);
    set_voxel_at(plane, 0, 1, 0, 8.0f);
    set_voxel_at(plane, 1, 0, 0, 12.0f);
    set_voxel_at(plane, 1, 1, 0, 10.0f);
    ASSERT_TRUE(masked_nearest_mean_filter(plane, mask_of(plane, {{1, 1, 0}}), 1, 1, 0, 2));
    EXPECT_EQ(voxel_at(plane, 1, 1, 0), 9.0f);
}

using FilterCall = std::function<bool(analyze_image&)>;

FilterCall nearest_mean_call(const analyze_byte_image& mask, int rx, int ry, int rz, int k) {
    return [&mask, rx, ry, rz, k](analyze_image& image) {
        return masked_nearest_mean_filter(image, mask, rx, ry, rz, k);
    };
}
FilterCall median_call(const analyze_byte_image& mask, int rx, int ry, int rz) {
    return [&mask, rx, ry, rz](analyze_image& image) {
        return masked_median_filter(image, mask, rx, ry, rz);
    };
}

TEST(VolumeFilters, RefusedArgumentsLeaveTheImageUnchanged) {
    const auto full = make_mask(4, 4, 4, 1);
    const auto thin = make_mask(4, 4, 2, 1);
    const auto other_reference = make_image(4, 2, 4);
    const int big = 1 << 30, wide = 1 << 15;
    // clang-format off
    const std::pair<const char*, FilterCall> cases[] = {
        {"mean k 0", nearest_mean_call(full, 1, 1, 1, 0)},
        {"mean k -1", nearest_mean_call(full, 1, 1, 1, -1)},
        {"mean k 129", nearest_mean_call(full, 2, 2, 2, 129)},
        {"mean box < k", nearest_mean_call(full, 1, 0, 0, 4)},
        {"mean radius < 0", nearest_mean_call(full, 1, -1, 1, 1)},
        {"mean side > 2^31", nearest_mean_call(full, big, 0, 0, 1)},
        {"mean box > 2^31", nearest_mean_call(full, wide, wide, 0, 1)},
        {"mean mask dims", nearest_mean_call(thin, 1, 1, 1, 1)},
        {"median radius < 0", median_call(full, 0, 0, -1)},
        {"median box > 2^31", median_call(full, 2147483647, 0, 0)},
        {"median mask dims", median_call(thin, 1, 1, 1)},
        {"smooth reference dims",
         [&](analyze_image& image) { return smooth_below(image, other_reference, 1e9f, 1); }},
    };
    // clang-format on
    for (const auto& [name, run] : cases) {
        analyze_image image = random_image(4, 4, 4, 5);
        const std::vector<float> before = samples(image);
        EXPECT_FALSE(run(image)) << name;
        EXPECT_EQ(samples(image), before) << name;
    }
}

TEST(VolumeFilters, VolumesWithoutVoxelsOrSamplesAreRefused) {
    for (const std::int16_t nx : {std::int16_t{0}, std::int16_t{-4}}) {
        analyze_image image = random_image(4, 4, 4, 6);
        const std::vector<float> before = samples(image);
        analyze_byte_image mask = make_mask(4, 4, 4, 1);
        image.header.dim[1] = mask.header.dim[1] = nx;
        EXPECT_FALSE(masked_median_filter(image, mask, 0, 0, 0)) << nx;
        EXPECT_FALSE(masked_nearest_mean_filter(image, mask, 0, 0, 0, 1)) << nx;
        EXPECT_FALSE(smooth_below(image, image, 1e9f, 1)) << nx;
        EXPECT_EQ(masked_quantile(image, mask, 0.0f), 0.0f) << nx;
        image.header.dim[1] = 4;
        EXPECT_EQ(samples(image), before) << nx;
    }
    analyze_image no_samples;
    no_samples.header = test::header_of(4, 4, 4);
    const auto full = make_mask(4, 4, 4, 1);
    EXPECT_FALSE(masked_median_filter(no_samples, full, 1, 1, 1));
    EXPECT_FALSE(masked_nearest_mean_filter(no_samples, full, 1, 1, 1, 1));
    EXPECT_FALSE(smooth_below(no_samples, make_image(4, 4, 4), 1.0f, 1));
    EXPECT_EQ(masked_quantile(no_samples, full, 0.0f), 0.0f);
}

}  // namespace
}  // namespace levelset_prep::volume
