// SPDX-License-Identifier: MIT
#include <cstring>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include <levelset_prep/analyze/byte_order.hpp>

namespace {

using namespace levelset_prep::analyze;

TEST(ByteOrder, SwapsReverseBytes) {
    std::uint16_t u16 = 0x1234;
    swap_bytes_16(u16);
    EXPECT_EQ(u16, 0x3412);
    std::int16_t i16 = -2;  // 0xfffe
    swap_bytes_16(i16);
    EXPECT_EQ(i16, static_cast<std::int16_t>(0xfeff));
    std::int32_t i32 = 0x01020304;
    swap_bytes_32(i32);
    EXPECT_EQ(i32, 0x04030201);
    float f = 1.0f;  // 0x3f800000
    swap_bytes_32(f);
    std::uint32_t bits;
    std::memcpy(&bits, &f, 4);
    EXPECT_EQ(bits, 0x0000803fu);
}

// Every byte of the header distinct: the swap must reverse exactly the listed
// fields and leave every other byte where it was.
TEST(ByteOrder, SwapHeaderTouchesExactlyTheListedFields) {
    unsigned char before[348];
    for (int i = 0; i < 348; ++i) before[i] = static_cast<unsigned char>(i * 7 + 1);
    const std::vector<std::pair<int, int>> swapped = {
        {0, 4},  {32, 4}, {40, 2}, {42, 2}, {44, 2}, {46, 2},  {48, 2},  {70, 2}, {72, 2},
        {80, 4}, {84, 4}, {88, 4}, {92, 4}, {96, 4}, {100, 4}, {140, 4}, {144, 4}};
    unsigned char expected[348];
    std::memcpy(expected, before, 348);
    for (auto [offset, width] : swapped) {
        for (int i = 0; i < width; ++i) expected[offset + i] = before[offset + width - 1 - i];
    }
    analyze_header header;
    std::memcpy(&header, before, 348);
    swap_header(header);
    EXPECT_EQ(std::memcmp(&header, expected, 348), 0);
}

}  // namespace
