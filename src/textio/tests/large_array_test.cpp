// SPDX-License-Identifier: MIT
#include <cstdint>
#include <string_view>

#include <gtest/gtest.h>

#include <levelset_prep/textio/large_array.hpp>

namespace {

using levelset_prep::textio::allocate_large;
using levelset_prep::textio::large_pages_cannot_stall;

TEST(LargeArray, LargePagesOnlyWhereNoFaultWaits) {
    const struct {
        std::string_view defrag;
        bool cannot_stall;
    } cases[] = {
        {"always defer defer+madvise [madvise] never\n", false},
        {"[always] defer defer+madvise madvise never\n", false},
        {"always defer [defer+madvise] madvise never\n", false},
        {"always [defer] defer+madvise madvise never\n", true},
        {"always defer defer+madvise madvise [never]\n", true},
        {"", false},  // no such file: the kernel's default may stall
        {"defer never", false},
        {"[defer", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(large_pages_cannot_stall(c.defrag), c.cannot_stall) << c.defrag;
    }
}

TEST(LargeArray, ArraysOfEverySizeAreWritable) {
    for (const std::size_t count : {std::size_t{0}, std::size_t{1}, std::size_t{3} << 20}) {
        auto array = allocate_large<std::int32_t>(count);
        ASSERT_TRUE(array) << count;
        for (std::size_t i = 0; i < count; i += 4096) array[i] = static_cast<std::int32_t>(i);
        if (count > 0) {
            EXPECT_EQ(array[0], 0) << count;
        }
    }
}

}  // namespace
