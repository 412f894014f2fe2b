// SPDX-License-Identifier: MIT
#include "selection.hpp"

#include <algorithm>
#include <limits>
#include <random>
#include <vector>

#include <gtest/gtest.h>

#include <levelset_prep/volume/volume_utilities.hpp>

#include "volume_test_images.hpp"

namespace levelset_prep::volume {
namespace {

TEST(Selection, AgreesWithNthElementForEverySizeAndPosition) {
    std::mt19937 generator(7);
    for (const int range : {3, 1000000}) {  // many equals, then nearly none
        std::uniform_int_distribution<int> value(-range, range);
        for (int count = 1; count <= 70; ++count) {
            std::vector<float> values(count);
            for (float& v : values) v = static_cast<float>(value(generator));
            for (int k = 0; k < count; ++k) {
                std::vector<float> expected = values, work = values;
                std::nth_element(expected.begin(), expected.begin() + k, expected.end());
                EXPECT_EQ(select_kth_smallest(work.data(), count, k), expected[k])
                    << "count " << count << " k " << k;
            }
        }
    }
}

TEST(MaskedQuantile, SelectsAmongMaskedVoxelsOnly) {
    // Masked voxels hold 4, 2, 3, 1; the unmasked ones hold -100 and 100.
    analyze_image image = test::make_image(2, 3, 1);
    analyze_byte_image mask = test::make_mask(2, 3, 1, 0);
    const float values[] = {4, -100, 2, 3, 100, 1};
    const std::uint8_t selected[] = {1, 0, 255, 1, 0, 1};
    std::copy(values, values + 6, image.data.get());
    std::copy(selected, selected + 6, mask.data.get());
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    struct Case {
        float fraction, expected;
    };
    const Case cases[] = {{0.0f, 1}, {0.25f, 2}, {0.5f, 3}, {0.99f, 4}, {1.0f, 0},
                          {2.0f, 0}, {1e30f, 0}, {inf, 0},  {nan, 0},   {-0.1f, 0}};
    for (const Case& c : cases)
        EXPECT_EQ(masked_quantile(image, mask, c.fraction), c.expected) << c.fraction;
    EXPECT_EQ(test::samples(image), std::vector<float>(values, values + 6));  // a copy is selected

    const analyze_byte_image empty = test::make_mask(2, 3, 1, 0);
    EXPECT_EQ(masked_quantile(image, empty, 0.0f), 0.0f);
    const analyze_byte_image other = test::make_mask(3, 2, 1, 1);
    EXPECT_EQ(masked_quantile(image, other, 0.0f), 0.0f);
}

}  // namespace
}  // namespace levelset_prep::volume
