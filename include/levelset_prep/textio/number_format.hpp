// SPDX-License-Identifier: MIT
// Numbers as text, byte for byte as a default-formatted C++ output stream
// writes them ("%g": 123.457, 1e-05, 2.5e+06, -0); floats are promoted to
// double first.
#pragma once

#include <bit>
#include <charconv>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace levelset_prep::textio {

inline constexpr std::size_t max_number_chars = 32;

struct DigitPairs {
    char chars[200];
    constexpr DigitPairs() : chars{} {
        for (int i = 0; i < 100; ++i) {
            chars[2 * i] = static_cast<char>('0' + i / 10);
            chars[2 * i + 1] = static_cast<char>('0' + i % 10);
        }
    }
};
inline constexpr DigitPairs digit_pairs;

// The four digits of `value` < 10^4, the first in the lowest byte.
inline std::uint32_t four_digit_chars(std::uint32_t value) {
    std::uint16_t high, low;
    std::memcpy(&high, digit_pairs.chars + 2 * (value / 100), 2);
    std::memcpy(&low, digit_pairs.chars + 2 * (value % 100), 2);
    return high | std::uint32_t{low} << 16;
}

// For value < 10^9: the bit length times log10(2) gives the power of ten at
// or one above it.
inline int decimal_length(std::uint32_t value) {
    static constexpr std::uint32_t powers[] = {1,      10,      100,      1000,      10000,
                                               100000, 1000000, 10000000, 100000000, 1000000000};
    value |= 1;
    const int guess = (std::bit_width(value) * 1233) >> 12;
    return guess + 1 - (value < powers[guess]);
}

// Each writes at `out` (at least max_number_chars free) and returns the end.
inline char* format_int(char* out, std::int64_t value) {
    if constexpr (std::endian::native == std::endian::little) {
        // Up to eight digits go as one word, leading zeros shifted out. The
        // length comes from comparisons alone, so the next write need not
        // wait for the digits.
        if (value > -100000000 && value < 100000000) {
            *out = '-';
            out += value < 0;
            const auto magnitude = static_cast<std::uint32_t>(value < 0 ? -value : value);
            if (magnitude < 10000) {
                const int length = 1 + (magnitude >= 10) + (magnitude >= 100) + (magnitude >= 1000);
                const std::uint32_t chars = four_digit_chars(magnitude) >> (8 * (4 - length));
                std::memcpy(out, &chars, sizeof chars);
                return out + length;
            }
            const int length = decimal_length(magnitude);
            const std::uint64_t chars =
                (four_digit_chars(magnitude / 10000) |
                 std::uint64_t{four_digit_chars(magnitude % 10000)} << 32) >>
                (8 * (8 - length));
            std::memcpy(out, &chars, sizeof chars);
            return out + length;
        }
    }
    return std::to_chars(out, out + max_number_chars, value).ptr;
}

// Ordinary magnitudes are rounded with one scaling by an exact power of ten;
// the rest, and roundings too close to call, go through std::to_chars.
char* format_general(char* out, double value);

// The shortest text that reads back to exactly `value`.
inline char* format_shortest(char* out, double value) {
    return std::to_chars(out, out + max_number_chars, value).ptr;
}

}  // namespace levelset_prep::textio
